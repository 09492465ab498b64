// The SPSS (.sav) and Stata (.dta, format 118) table writers, through ReadStat. ReadStat
// hands the file's bytes to a callback, which appends them to an atomic writer; the file
// takes its name only at Commit.
//
// ReadStat checks names, formats and missing values only when the first row is written;
// Begin asks it to check them at once (readstat_validate_*), so that a table it would refuse
// fails before any row, with the reason.
#include <readstat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <set>

#include "libs/data/DataTables.h"
#include "libs/util/SafeFile.h"

namespace {

constexpr size_t kMaxVariableLabelBytes = 256;
constexpr size_t kMaxValueLabelBytes = 120;

// text cut to at most maxBytes without splitting a UTF-8 character. True when it was cut.
bool CutUtf8(std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return false;
  size_t end = maxBytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return true;
}

std::string Uppercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// What a format allows in a variable name.
struct NameRules {
  const char* format;  // ".sav", ".dta": for notes
  size_t maxBytes;
  const char* otherCharacters;  // allowed beside ASCII letters and digits
  bool underscoreStarts;        // a name may start with '_' (else only with a letter)
  bool caseBlind;               // names differ only in more than letter case
  bool (*reserved)(const std::string& name);
};

bool SavReserved(const std::string& name) {
  static const char* const kWords[] = {"ALL", "AND", "BY", "EQ", "GE", "GT", "LE", "LT", "NE", "NOT", "OR", "TO", "WITH"};
  const std::string upper = Uppercase(name);
  return std::any_of(std::begin(kWords), std::end(kWords), [&](const char* word) { return upper == word; });
}

bool DtaReserved(const std::string& name) {
  static const char* const kWords[] = {"_all", "_b",  "byte",  "_coef", "_cons", "double", "float",
                                       "if",   "in",  "int",   "long",  "_n",    "_N",     "_pi",
                                       "_pred", "_rc", "_skip", "strL", "using", "with"};
  if (std::any_of(std::begin(kWords), std::end(kWords), [&](const char* word) { return name == word; })) return true;
  // str1 ... str2045 name string types; ReadStat refuses every name that starts with "str"
  // and a digit.
  return name.size() > 3 && name.compare(0, 3, "str") == 0 && std::isdigit(static_cast<unsigned char>(name[3]));
}

const NameRules kSavNames{".sav", 64, "_.$#@", false, true, SavReserved};
const NameRules kDtaNames{".dta", 32, "_", true, false, DtaReserved};

// name made valid for rules: other characters become '_', a name that cannot start so gets
// a "V" before it, a reserved word an '_' after it (a "V" before it when that is not enough),
// and it is cut to the longest name.
std::string ValidName(const std::string& name, const NameRules& rules) {
  std::string valid;
  for (char c : name) {
    const bool allowed = std::isalnum(static_cast<unsigned char>(c)) || std::strchr(rules.otherCharacters, c);
    valid += allowed && c != '\0' ? c : '_';
  }
  const bool startsWell = !valid.empty() && (std::isalpha(static_cast<unsigned char>(valid[0])) ||
                                             (rules.underscoreStarts && valid[0] == '_'));
  if (!startsWell) valid.insert(0, "V");
  if (rules.reserved(valid)) valid += '_';
  if (rules.reserved(valid)) valid.insert(0, "V");
  if (valid.size() > rules.maxBytes) valid.resize(rules.maxBytes);
  return valid;
}

// Gives each column a valid name, unique within the table ("line" comes first), and notes
// every name that changed.
class NameGiver {
 public:
  explicit NameGiver(const NameRules& rules) : rules_(rules) { Take("line"); }

  std::string Give(const std::string& name, std::vector<std::string>& notes) {
    const std::string valid = ValidName(name, rules_);
    std::string unique = valid;
    for (int n = 2; taken_.count(Key(unique)); ++n) {
      const std::string suffix = "_" + std::to_string(n);
      unique = valid.substr(0, rules_.maxBytes - suffix.size()) + suffix;
    }
    Take(unique);
    if (unique != name) notes.push_back(name + ": name " + name + " is written as " + unique);
    return unique;
  }

 private:
  std::string Key(const std::string& name) const { return rules_.caseBlind ? Uppercase(name) : name; }
  void Take(const std::string& name) { taken_.insert(Key(name)); }

  const NameRules& rules_;
  std::set<std::string> taken_;
};

// A variable as written, and how its cells go in.
struct Variable {
  enum class Kind { Double, Int32, String };
  readstat_variable_t* variable = nullptr;
  Kind kind = Kind::Double;
  size_t width = 0;  // strings: bytes
  std::string name;  // the column's name, for notes
  bool cutNoted = false;
};

class StatWriter : public TableWriter {
 public:
  bool Begin(const std::string& path, const DataTable& table, long rows, const std::string& fileLabel,
             std::string& error) override {
    Reset();
    notes_.clear();
    path_ = path;
    if (rows < 0 || rows > INT_MAX) {
      error = "Cannot write " + path + ": the number of rows (" + std::to_string(rows) + ") is not known or too large.";
      return false;
    }
    rows_ = rows;
    // ReadStat writes more variables than the format's readers take, without a word.
    if (table.columns.size() + 1 > MaxVariables()) {
      error = "Cannot write " + path + ": " + FormatName() + " takes at most " + std::to_string(MaxVariables()) +
              " variables; the table has " + std::to_string(table.columns.size() + 1) + ".";
      return false;
    }
    if (!out_.Open(path, &error)) return false;
    writer_ = readstat_writer_init();
    readstat_set_data_writer(writer_, &StatWriter::WriteBytes);
    readstat_writer_set_error_handler(writer_, &StatWriter::KeepDetail);
    std::string label = fileLabel;
    if (CutUtf8(label, MaxFileLabelBytes()))
      notes_.push_back("The file label is cut to " + std::to_string(MaxFileLabelBytes()) + " bytes");
    readstat_writer_set_file_label(writer_, label.c_str());

    NameGiver names(Names());
    line_ = AddLine();
    for (const DataColumn& column : table.columns) {
      Variable variable = AddColumn(column, names.Give(column.name, notes_));
      variable.name = column.name;
      SetVariableLabel(variable.variable, column);
      NoteRangeLabels(column);
      variables_.push_back(variable);
    }
    readstat_error_t status = StartWriting(rows);
    if (status == READSTAT_OK) status = readstat_validate_metadata(writer_);
    for (size_t i = 0; status == READSTAT_OK && i < variables_.size(); ++i)
      status = readstat_validate_variable(writer_, variables_[i].variable);
    if (status != READSTAT_OK) {
      error = Failure(status);
      Reset();
      return false;
    }
    return true;
  }

  bool Row(long line, const std::vector<DataCell>& cells) override {
    if (!writer_ || !failure_.empty()) return false;
    if (written_ >= rows_) {
      failure_ = "Cannot write " + path_ + ": more rows came than were counted (" + std::to_string(rows_) + ").";
      return false;
    }
    readstat_error_t status = readstat_begin_row(writer_);
    if (status == READSTAT_OK) status = readstat_insert_double_value(writer_, line_, static_cast<double>(line));
    static const DataCell kNoCell;
    for (size_t i = 0; status == READSTAT_OK && i < variables_.size(); ++i)
      status = InsertCell(variables_[i], i < cells.size() ? cells[i] : kNoCell);
    if (status == READSTAT_OK) status = readstat_end_row(writer_);
    if (status != READSTAT_OK) {
      failure_ = Failure(status);
      return false;
    }
    ++written_;
    return true;
  }

  bool Commit(std::string& error) override {
    if (!writer_) {
      error = "Cannot write " + path_ + ": it was not begun.";
      return false;
    }
    if (failure_.empty() && written_ < rows_)
      failure_ = "Cannot write " + path_ + ": fewer rows came (" + std::to_string(written_) + ") than were counted (" +
                 std::to_string(rows_) + ").";
    if (failure_.empty()) {
      const readstat_error_t status = readstat_end_writing(writer_);
      if (status != READSTAT_OK) failure_ = Failure(status);
    }
    if (!failure_.empty()) {
      error = failure_;
      Reset();
      return false;
    }
    const bool committed = out_.Commit(&error);
    Reset();
    return committed;
  }

  void Abandon() override { Reset(); }

  ~StatWriter() override { Reset(); }

 protected:
  virtual const NameRules& Names() const = 0;
  virtual size_t MaxFileLabelBytes() const = 0;
  virtual readstat_variable_t* AddLine() = 0;
  virtual Variable AddColumn(const DataColumn& column, const std::string& name) = 0;
  virtual readstat_error_t StartWriting(long rows) = 0;
  virtual readstat_error_t InsertNumberCell(const Variable& variable, const DataCell& cell) = 0;
  virtual size_t MaxStringBytes() const = 0;
  virtual size_t MaxVariables() const { return SIZE_MAX; }
  virtual const char* FormatName() const = 0;

  readstat_writer_t* writer_ = nullptr;

  // A string variable of the column's width in bytes (the caller gives a width that holds
  // its longest UTF-8 text), within what the format allows.
  Variable AddString(const DataColumn& column, const std::string& name) {
    Variable variable;
    variable.kind = Variable::Kind::String;
    variable.width = std::clamp<size_t>(static_cast<size_t>(std::max(column.width, 1)), 1, MaxStringBytes());
    variable.variable = readstat_add_variable(writer_, name.c_str(), READSTAT_TYPE_STRING, variable.width);
    return variable;
  }

  // label cut to what a value label may hold; counts the cuts.
  static std::string ValueLabel(std::string label, int& cuts) {
    if (CutUtf8(label, kMaxValueLabelBytes)) ++cuts;
    return label;
  }

  void NoteCutValueLabels(const DataColumn& column, int cuts) {
    if (cuts > 0)
      notes_.push_back(NoteName(column) + ": " + std::to_string(cuts) + " value label" + (cuts == 1 ? " is" : "s are") +
                       " cut to " + std::to_string(kMaxValueLabelBytes) + " bytes");
  }

  void NoteDroppedValueLabels(const DataColumn& column, size_t count, const std::string& why) {
    if (count > 0)
      notes_.push_back(NoteName(column) + ": " + std::to_string(count) + " value label" + (count == 1 ? " is" : "s are") +
                       " not written: " + why);
  }

 private:
  static ssize_t WriteBytes(const void* data, size_t length, void* context) {
    auto* self = static_cast<StatWriter*>(context);
    if (self->out_.Write(std::string_view(static_cast<const char*>(data), length))) return static_cast<ssize_t>(length);
    self->writeFailed_ = true;
    return -1;
  }

  static void KeepDetail(const char* message, void* context) {
    auto* self = static_cast<StatWriter*>(context);
    if (self && message && self->detail_.empty()) self->detail_ = message;
  }

  void SetVariableLabel(readstat_variable_t* variable, const DataColumn& column) {
    std::string label = column.label;
    if (CutUtf8(label, kMaxVariableLabelBytes))
      notes_.push_back(NoteName(column) + ": the label is cut to " + std::to_string(kMaxVariableLabelBytes) + " bytes");
    readstat_variable_set_label(variable, label.c_str());
  }

  void NoteRangeLabels(const DataColumn& column) {
    const size_t count = column.rangeLabels.size();
    if (count > 0)
      notes_.push_back(NoteName(column) + ": " + std::to_string(count) + " label" + (count == 1 ? "" : "s") +
                       " of ranges of values " + (count == 1 ? "is" : "are") + " not carried: " + FormatName() +
                       " labels single values only");
  }

  readstat_error_t InsertCell(Variable& variable, const DataCell& cell) {
    if (variable.kind != Variable::Kind::String) return InsertNumberCell(variable, cell);
    if (cell.kind != DataCell::Kind::Text) return readstat_insert_string_value(writer_, variable.variable, "");
    std::string text = cell.text;
    if (CutUtf8(text, variable.width) && !variable.cutNoted) {
      variable.cutNoted = true;
      notes_.push_back(variable.name + ": texts longer than " + std::to_string(variable.width) + " bytes are cut");
    }
    return readstat_insert_string_value(writer_, variable.variable, text.c_str());
  }

  // The reason a ReadStat call failed, naming the file; a write that failed says why.
  std::string Failure(readstat_error_t status) {
    std::string reason;
    // After a failed write Commit fails and gives the system's reason.
    if (writeFailed_ && !out_.Commit(&reason)) return reason;
    const char* message = readstat_error_message(status);
    reason = !detail_.empty() ? detail_ : message ? message : "ReadStat error " + std::to_string(status);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '.')) reason.pop_back();
    return "Cannot write " + path_ + ": " + reason + ".";
  }

  void Reset() {
    if (writer_) readstat_writer_free(writer_);
    writer_ = nullptr;
    out_.Abandon();
    variables_.clear();
    line_ = nullptr;
    written_ = 0;
    failure_.clear();
    detail_.clear();
    writeFailed_ = false;
  }

  CAtomicFileWriter out_;
  std::string path_;
  long rows_ = 0;
  long written_ = 0;
  readstat_variable_t* line_ = nullptr;
  std::vector<Variable> variables_;
  std::string failure_;  // why writing failed; Commit reports it
  std::string detail_;   // what ReadStat's error handler said
  bool writeFailed_ = false;
};

// The special codes of a column that are single values, and those that are ranges, the
// MISSING codes first: when not all fit, those are kept.
struct SpecialCodes {
  std::vector<const SpecialCode*> values, ranges;

  explicit SpecialCodes(const DataColumn& column) {
    std::vector<const SpecialCode*> codes;
    for (const SpecialCode& code : column.specials) codes.push_back(&code);
    std::stable_sort(codes.begin(), codes.end(),
                     [](const SpecialCode* a, const SpecialCode* b) { return a->kind < b->kind; });
    for (const SpecialCode* code : codes) (code->from == code->to ? values : ranges).push_back(code);
  }
};

class SavWriter : public StatWriter {
 protected:
  const NameRules& Names() const override { return kSavNames; }
  size_t MaxFileLabelBytes() const override { return 64; }
  size_t MaxStringBytes() const override { return 32767; }
  const char* FormatName() const override { return ".sav"; }

  readstat_variable_t* AddLine() override {
    readstat_variable_t* line = readstat_add_variable(writer_, "line", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_format(line, "F10.0");
    return line;
  }

  Variable AddColumn(const DataColumn& column, const std::string& name) override {
    if (!column.numeric) {
      Variable variable = AddString(column, name);
      AddTextLabels(variable, column);
      return variable;
    }
    Variable variable;
    variable.variable = readstat_add_variable(writer_, name.c_str(), READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_format(variable.variable, PrintFormat(column).c_str());
    AddNumberLabels(variable.variable, column);
    DeclareMissing(variable.variable, column);
    return variable;
  }

  readstat_error_t StartWriting(long rows) override { return readstat_begin_writing_sav(writer_, this, rows); }

  // A code is written as it is (user-missing when declared); a special value without code,
  // a blank and a text in a numeric column are system-missing.
  readstat_error_t InsertNumberCell(const Variable& variable, const DataCell& cell) override {
    const bool hasValue =
        cell.kind == DataCell::Kind::Number || (cell.kind == DataCell::Kind::Special && cell.hasCode);
    return hasValue ? readstat_insert_double_value(writer_, variable.variable, cell.number)
                    : readstat_insert_missing_value(writer_, variable.variable);
  }

 private:
  // F(w.d): implied decimals need one more column for the point; SPSS allows F40.16 at most,
  // and the width must hold the point and a digit before it.
  static std::string PrintFormat(const DataColumn& column) {
    const int decimals = std::clamp(column.decimals, 0, 16);
    int width = column.width + (decimals > 0 && !column.decimalsWritten ? 1 : 0);
    width = std::clamp(width, decimals > 0 ? decimals + 2 : 1, 40);
    return "F" + std::to_string(width) + "." + std::to_string(decimals);
  }

  void AddNumberLabels(readstat_variable_t* variable, const DataColumn& column) {
    if (column.labels.empty()) return;
    readstat_label_set_t* set = readstat_add_label_set(writer_, READSTAT_TYPE_DOUBLE, variable->name);
    int cuts = 0;
    for (const NumericLabel& label : column.labels)
      readstat_label_double_value(set, label.value, ValueLabel(label.label, cuts).c_str());
    readstat_variable_set_label_set(variable, set);
    NoteCutValueLabels(column, cuts);
  }

  // Value labels on long strings make files that other programs misread: they are left out.
  void AddTextLabels(const Variable& variable, const DataColumn& column) {
    if (column.textLabels.empty()) return;
    if (variable.width > 8) {
      NoteDroppedValueLabels(column, column.textLabels.size(), ".sav cannot label strings wider than 8 bytes");
      return;
    }
    readstat_label_set_t* set = readstat_add_label_set(writer_, READSTAT_TYPE_STRING, variable.variable->name);
    int cuts = 0;
    for (const TextLabel& label : column.textLabels)
      readstat_label_string_value(set, label.value.c_str(), ValueLabel(label.label, cuts).c_str());
    readstat_variable_set_label_set(variable.variable, set);
    NoteCutValueLabels(column, cuts);
  }

  // SPSS takes three missing values, or one range and one value. The range goes first: the
  // file lists the range's ends before the value.
  void DeclareMissing(readstat_variable_t* variable, const DataColumn& column) {
    const SpecialCodes codes(column);
    size_t left = column.specials.size();
    const SpecialCode* range = codes.ranges.empty() ? nullptr : codes.ranges.front();
    if (range) {
      readstat_variable_add_missing_double_range(variable, range->from, range->to);
      --left;
    }
    std::vector<double> declared;
    for (const SpecialCode* code : codes.values) {
      const bool inRange = range && code->from >= range->from && code->from <= range->to;
      const bool again = std::find(declared.begin(), declared.end(), code->from) != declared.end();
      if (inRange || again) {
        --left;
      } else if (declared.size() < (range ? 1u : 3u)) {
        readstat_variable_add_missing_double_value(variable, code->from);
        declared.push_back(code->from);
        --left;
      }
    }
    if (left > 0)
      notes_.push_back(NoteName(column) + ": " + std::to_string(left) + " special code" + (left == 1 ? " is" : "s are") +
                       " not declared missing: .sav takes three missing values, or one range and one value");
  }
};

class DtaWriter : public StatWriter {
 protected:
  const NameRules& Names() const override { return kDtaNames; }
  size_t MaxFileLabelBytes() const override { return 80; }
  size_t MaxStringBytes() const override { return 2045; }
  size_t MaxVariables() const override { return 32767; }
  const char* FormatName() const override { return ".dta"; }

  // A double: line numbers may pass what Stata's int holds.
  readstat_variable_t* AddLine() override {
    readstat_variable_t* line = readstat_add_variable(writer_, "line", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_format(line, "%12.0f");
    return line;
  }

  Variable AddColumn(const DataColumn& column, const std::string& name) override {
    if (!column.numeric) {
      NoteDroppedValueLabels(column, column.textLabels.size(), ".dta labels integer items only");
      Variable variable = AddString(column, name);
      readstat_variable_set_format(variable.variable, ("%" + std::to_string(variable.width) + "s").c_str());
      return variable;
    }
    Variable variable;
    if (IsInteger(column)) {
      variable.kind = Variable::Kind::Int32;
      variable.variable = readstat_add_variable(writer_, name.c_str(), READSTAT_TYPE_INT32, 0);
      AddLabels(variable.variable, column);
    } else {
      variable.variable = readstat_add_variable(writer_, name.c_str(), READSTAT_TYPE_DOUBLE, 0);
      const int decimals = std::clamp(column.decimals, 0, 16);
      const int width = std::clamp(column.width + (column.decimalsWritten ? 0 : 1), decimals + 2, 40);
      readstat_variable_set_format(variable.variable,
                                   ("%" + std::to_string(width) + "." + std::to_string(decimals) + "f").c_str());
      NoteDroppedValueLabels(column, column.labels.size(), ".dta labels integer items only");
    }
    return variable;
  }

  readstat_error_t StartWriting(long rows) override {
    readstat_writer_set_file_format_version(writer_, 118);
    return readstat_begin_writing_dta(writer_, this, rows);
  }

  // Special values as tagged missing .a (MISSING), .b (NOTAPPL, and a blank), .c (DEFAULT).
  readstat_error_t InsertNumberCell(const Variable& variable, const DataCell& cell) override {
    switch (cell.kind) {
      case DataCell::Kind::Number:
        if (variable.kind == Variable::Kind::Double)
          return readstat_insert_double_value(writer_, variable.variable, cell.number);
        if (FitsInt(cell.number))
          return readstat_insert_int32_value(writer_, variable.variable, static_cast<int32_t>(cell.number));
        // Not a whole number an integer item can hold: what a field that is no number gets.
        return readstat_insert_tagged_missing_value(writer_, variable.variable, Tag(SpecialKind::Default));
      case DataCell::Kind::Special:
        if (cell.special != SpecialKind::None)
          return readstat_insert_tagged_missing_value(writer_, variable.variable, Tag(cell.special));
        break;
      case DataCell::Kind::Blank:
        return readstat_insert_tagged_missing_value(writer_, variable.variable, Tag(SpecialKind::NotAppl));
      case DataCell::Kind::Text:
        break;
    }
    return readstat_insert_missing_value(writer_, variable.variable);
  }

 private:
  static bool IsInteger(const DataColumn& column) { return column.decimals == 0 && column.width <= 9; }

  // Stata's int holds -2147483647 to 2147483620; the values above are its missing values.
  static bool FitsInt(double value) {
    return value == std::trunc(value) && value >= -2147483647.0 && value <= 2147483620.0;
  }

  static char Tag(SpecialKind kind) {
    switch (kind) {
      case SpecialKind::Missing:
        return 'a';
      case SpecialKind::NotAppl:
        return 'b';
      case SpecialKind::Default:
        return 'c';
      case SpecialKind::None:
        break;
    }
    return 'a';
  }

  static bool IsSpecialCode(const DataColumn& column, double value) {
    return std::any_of(column.specials.begin(), column.specials.end(),
                       [&](const SpecialCode& code) { return code.Covers(value); });
  }

  // The labels of the ordinary values, and of the tags: a tag's label joins the different
  // labels of its kind's codes with " / ". A special code is written as its tag, so it
  // gets no label of its own.
  void AddLabels(readstat_variable_t* variable, const DataColumn& column) {
    std::vector<std::pair<SpecialKind, std::string>> tagLabels;
    for (const SpecialCode& code : column.specials) {
      if (code.label.empty() || code.kind == SpecialKind::None) continue;
      auto same = std::find_if(tagLabels.begin(), tagLabels.end(), [&](const auto& tag) { return tag.first == code.kind; });
      if (same == tagLabels.end()) {
        tagLabels.emplace_back(code.kind, code.label);
      } else if (("/ " + same->second + " /").find("/ " + code.label + " /") == std::string::npos) {
        same->second += " / " + code.label;
      }
    }
    std::vector<const NumericLabel*> ordinary;
    size_t notWhole = 0;
    for (const NumericLabel& label : column.labels) {
      if (IsSpecialCode(column, label.value)) continue;
      if (FitsInt(label.value)) {
        ordinary.push_back(&label);
      } else {
        ++notWhole;
      }
    }
    NoteDroppedValueLabels(column, notWhole, ".dta labels whole numbers only");
    if (ordinary.empty() && tagLabels.empty()) return;
    readstat_label_set_t* set = readstat_add_label_set(writer_, READSTAT_TYPE_INT32, variable->name);
    int cuts = 0;
    for (const NumericLabel* label : ordinary)
      readstat_label_int32_value(set, static_cast<int32_t>(label->value), ValueLabel(label->label, cuts).c_str());
    std::sort(tagLabels.begin(), tagLabels.end());
    for (const auto& [kind, label] : tagLabels) readstat_label_tagged_value(set, Tag(kind), ValueLabel(label, cuts).c_str());
    readstat_variable_set_label_set(variable, set);
    NoteCutValueLabels(column, cuts);
  }
};

}  // namespace

std::unique_ptr<TableWriter> MakeSavWriter() { return std::make_unique<SavWriter>(); }
std::unique_ptr<TableWriter> MakeDtaWriter() { return std::make_unique<DtaWriter>(); }
