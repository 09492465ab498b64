#include "vesk/VeskDataLayout.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "libs/util/CodePage.h"
#include "vesk/Vesk.h"
#include "vesk/VeskInspect.h"

namespace {

struct Column {
  Vax* vax;
  short occ;
};

struct Section {
  Sec* sec = nullptr;
  std::string code;  // what the record-type columns of its lines hold
  std::unique_ptr<Sex> sex;
  Lst vaxes;  // owns the variable buffers
  std::vector<Column> columns;
  uint16_t status = 0;  // the code that keeps it from being read, 0 when it is ready
};

std::string StatusText(int code) {
  std::string words = DescribeBufferStatus(code);
  if (words.empty()) words = DescribeVeskStatus(code);
  if (words.empty()) words = "an unknown failure";
  return words + " (status " + std::to_string(code) + ")";
}

bool CodedAsBlank(const Var* var) {
  return SameBits(var->missing, BLANK) || SameBits(var->notAppl, BLANK) || SameBits(var->dflt, BLANK);
}

// A code the variable defines: a number below the markers (the markers and BLANK mean none).
bool DefinesCode(double code) { return code < MARKER_MIN && !SameBits(code, BLANK); }

void AddSpecials(const Var* var, DataColumn& column) {
  const struct {
    double code;
    SpecialKind kind;
    const char* label;
  } codes[] = {{var->missing, SpecialKind::Missing, "Missing"},
               {var->notAppl, SpecialKind::NotAppl, "NotAppl"},
               {var->dflt, SpecialKind::Default, "Default"}};
  for (const auto& code : codes) {
    if (DefinesCode(code.code)) column.specials.push_back({code.kind, code.code, code.code, code.label});
  }
}

void ReadNumber(const Column& c, DataCell& cell) {
  Vax* vax = c.vax;
  const Var* var = vax->var;
  const double value = vax->values[c.occ];
  if (SameBits(value, MISSING)) return cell.SetSpecial(SpecialKind::Missing, DefinesCode(var->missing), var->missing);
  if (SameBits(value, NOTAPPL)) return cell.SetSpecial(SpecialKind::NotAppl, DefinesCode(var->notAppl), var->notAppl);
  if (SameBits(value, DEFAULT)) {
    // A blank field that neither zero fill nor a code turned into something else is empty.
    if (SameBits(vax->ReadRaw(c.occ), BLANK) && !var->zeroFill && !CodedAsBlank(var)) return cell.SetBlank();
    return cell.SetSpecial(SpecialKind::Default, DefinesCode(var->dflt), var->dflt);
  }
  cell.SetNumber(value);
}

void ReadText(const Column& c, const OemTextDecoder& decoder, DataCell& cell) {
  const char* field = c.vax->Addr(c.occ);
  cell.SetText(field ? std::string_view(field, static_cast<size_t>(c.vax->len)) : std::string_view(), decoder);
}

class VeskDataLayout : public DataLayout {
 public:
  explicit VeskDataLayout(const VeskColumnDescriber& describe) : describe_(describe) {}

  bool Load(const std::string& path, const std::string& shown, bool work, std::string& error) {
    InitSpecialValues();
    if (!LoadVeskFile(path, shown, work, dic_, error)) return false;
    const uint16_t sectionCount = dic_.secs ? dic_.secs->count : 0;
    if (sectionCount == 0) {
      error = "The VESK dictionary " + shown + " has no sections: no line can be read.";
      return false;
    }
    if (dic_.recTypeLen <= 0 && sectionCount > 1) {
      error = "The VESK dictionary " + shown + " has " + std::to_string(sectionCount) +
              " sections but no record-type columns: its lines cannot be told apart.";
      return false;
    }
    codeStart_ = dic_.recTypeLen > 0 ? dic_.recTypeStart - 1L : 0;
    codeLen_ = std::max<long>(0, dic_.recTypeLen);
    if (codeLen_ > 0) lineBytes_ = static_cast<size_t>(std::max<long>(0, codeStart_ + codeLen_));
    for (uint16_t i = 0; i < sectionCount; ++i) AddSection(static_cast<Sec*>(dic_.secs->NodeAt(i)->obj));
    return true;
  }

  size_t LineBytes() const override { return std::max<size_t>(1, lineBytes_); }

  int TableOf(std::string_view line) const override {
    if (codeLen_ == 0) return 0;
    for (size_t t = 0; t < sections_.size(); ++t) {
      if (HasCode(line, sections_[t]->code)) return static_cast<int>(t);
    }
    return -1;
  }

  std::string RecordTypeOf(std::string_view line) const override {
    std::string code(static_cast<size_t>(codeLen_), ' ');
    for (long k = 0; k < codeLen_; ++k) {
      const long col = codeStart_ + k;
      if (col >= 0 && static_cast<size_t>(col) < line.size()) code[static_cast<size_t>(k)] = line[static_cast<size_t>(col)];
    }
    return code;
  }

  void ReadLine(int table, std::string_view line, std::vector<DataCell>& cells) override {
    Section& s = *sections_[static_cast<size_t>(table)];
    Sex& sex = *s.sex;
    char* record = sex.Addr(0);
    const size_t length = static_cast<size_t>(sex.secLen);
    const size_t n = std::min(length, line.size());
    std::memcpy(record, line.data(), n);
    std::memset(record + n, ' ', length - n);  // a short line reads as blank beyond its end
    sex.numOcc = 0;
    sex.UpdateOcc(0);
    for (uint16_t i = 0; i < s.vaxes.count; ++i) static_cast<Vax*>(s.vaxes.NodeAt(i)->obj)->CharToDouble();
    cells.resize(s.columns.size());
    for (size_t i = 0; i < s.columns.size(); ++i) {
      const Column& c = s.columns[i];
      if (c.vax->varType == 'N')
        ReadNumber(c, cells[i]);
      else
        ReadText(c, decoder_, cells[i]);
    }
  }

  std::string TableProblem(int table) const override {
    const uint16_t status = sections_[static_cast<size_t>(table)]->status;
    return status == 0 ? std::string() : StatusText(status);
  }

  const char* TableWord() const override { return "section"; }

 private:
  bool HasCode(std::string_view line, const std::string& code) const {
    for (long k = 0; k < codeLen_; ++k) {
      const long col = codeStart_ + k;
      const char c = col >= 0 && static_cast<size_t>(col) < line.size() ? line[static_cast<size_t>(col)] : ' ';
      if (c != code[static_cast<size_t>(k)]) return false;
    }
    return true;
  }

  void AddSection(Sec* sec) {
    auto s = std::make_unique<Section>();
    s->sec = sec;
    DataTable table;
    table.name = OemToHost(std::string(sec->name));
    table.label = table.name;
    Build(*s, table);
    if (s->status == 0) lineBytes_ = std::max(lineBytes_, static_cast<size_t>(s->sex->secLen));
    tables_.push_back(std::move(table));
    sections_.push_back(std::move(s));
  }

  void Build(Section& s, DataTable& table) {
    Sec* sec = s.sec;
    s.code.assign(static_cast<size_t>(codeLen_), ' ');
    for (long k = 0; k < codeLen_ && k < 3; ++k) s.code[static_cast<size_t>(k)] = sec->code[k];
    s.sex = std::make_unique<Sex>(sec);
    if (s.sex->status != Sex::kOk) {
      s.status = s.sex->status;
      return;
    }
    for (uint16_t i = 0; sec->vars && i < sec->vars->count; ++i) {
      Var* var = static_cast<Var*>(sec->vars->NodeAt(i)->obj);
      Vax* vax = new Vax(var, s.sex.get());
      s.vaxes.Put(var->name, vax);
      if (vax->status != Vax::kOk) {
        s.status = vax->status;
        table.columns.clear();
        s.columns.clear();
        return;
      }
      AddColumns(s, table, vax);
    }
  }

  void AddColumns(Section& s, DataTable& table, Vax* vax) const {
    const Var* var = vax->var;
    DataColumn column;
    column.label = OemToHost(var->name);
    column.numeric = vax->varType == 'N';
    column.width = std::max<int>(1, vax->len);
    column.decimals = column.numeric ? std::max<int>(0, vax->decimals) : 0;
    if (column.numeric) AddSpecials(var, column);
    const std::string name = OemToHost(var->name);
    if (describe_) describe_(name, column);
    const short count = var->varKind != 'S' ? vax->Count() : 1;
    for (short k = 0; k < count; ++k) {
      s.columns.push_back({vax, k});
      DataColumn occurrence = column;
      occurrence.name = var->varKind != 'S' ? name + "_" + std::to_string(k + 1) : name;
      occurrence.item = name;
      table.columns.push_back(std::move(occurrence));
    }
  }

  VeskColumnDescriber describe_;
  OemTextDecoder decoder_;  // used while the columns are made
  Dic dic_;
  std::vector<std::unique_ptr<Section>> sections_;
  long codeStart_ = 0, codeLen_ = 0;
  size_t lineBytes_ = 1;
};

}  // namespace

std::unique_ptr<DataLayout> MakeVeskDataLayout(const std::string& path, const std::string& shown, bool work,
                                               std::string& error, const VeskColumnDescriber& describe) {
  auto layout = std::make_unique<VeskDataLayout>(describe);
  if (!layout->Load(path, shown, work, error)) return nullptr;
  return layout;
}
