#include "travo/TravoDataLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "libs/dict/DataDict.h"
#include "libs/util/CodePage.h"

namespace {

// Where a column's value stands in a line; how it is read, its column says.
struct FieldReader {
  size_t offset = 0;  // 0-based
  size_t length = 0;
};

struct TableReader {
  std::string recordType;  // as the data holds it, blank-padded to the record-type length
  std::vector<FieldReader> fields;
};

bool IsBlankText(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

std::string Trimmed(CVornString text) {
  text.Trim();
  return text;
}

std::string WithoutTrailingBlanks(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// A number as a value set writes it ("12", "-3.5", "1,25"); false when it is none.
bool ParseCode(std::string text, double& value) {
  std::replace(text.begin(), text.end(), ',', '.');
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  const size_t last = text.find_last_not_of(' ');
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  if (*begin == '+') ++begin;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && ptr == end;
}

SpecialKind KindOf(const CDictValue& value) {
  switch (value.GetValueType()) {
    case MissingType:
      return SpecialKind::Missing;
    case NotAppType:
      return SpecialKind::NotAppl;
    case DefaultType:
      return SpecialKind::Default;
    case NoneType:
      break;
  }
  return SpecialKind::None;
}

std::string RangeText(const CDictVPair& pair, const CDictValue& value) {
  std::string text = Trimmed(pair.GetFrom()) + "-" + Trimmed(pair.GetTo());
  if (!value.GetLabel().empty()) text += " " + value.GetLabel();
  return text;
}

}  // namespace

void DescribeItemValues(const CDictItem& item, DataColumn& column) {
  column.label = item.GetLabel();
  if (item.GetNumVSets() == 0) return;
  const CDictVSet& vset = *item.GetVSet(0);
  for (int v = 0; v < vset.GetNumValues(); ++v) {
    const CDictValue& value = *vset.GetValue(v);
    const SpecialKind kind = KindOf(value);
    const std::string label = value.GetLabel();
    for (int p = 0; p < value.GetNumVPairs(); ++p) {
      const CDictVPair& pair = *value.GetVPair(p);
      bool range = !pair.GetTo().empty();
      if (!column.numeric) {
        if (range && pair.GetTo() != pair.GetFrom())
          column.rangeLabels.push_back(RangeText(pair, value));
        else
          column.textLabels.push_back({WithoutTrailingBlanks(pair.GetFrom()), label});
        continue;
      }
      if (kind != SpecialKind::None && IsBlankText(pair.GetFrom())) {
        column.blankMeans = kind;
        continue;
      }
      double from = 0, to = 0;
      if (!ParseCode(pair.GetFrom(), from) || (range && !ParseCode(pair.GetTo(), to))) continue;
      if (!range || to == from) {
        range = false;
        to = from;
      }
      if (kind != SpecialKind::None) column.specials.push_back({kind, from, to, label});
      if (!range)
        column.labels.push_back({from, label});
      else if (kind == SpecialKind::None)
        column.rangeLabels.push_back(RangeText(pair, value));
    }
  }
}

namespace {

// The columns of one item: one per occurrence. A subitem of an item with occurrences
// repeats with its parent.
void AddItem(const CDictItem& item, const CDictItem* parent, DataTable& table, TableReader& reader) {
  int occurrences = item.GetOccurs();
  int step = item.GetLen();
  if (item.GetItemType() == SubItem && parent && occurrences <= 1 && parent->GetOccurs() > 1) {
    occurrences = parent->GetOccurs();
    step = parent->GetLen();
  }
  occurrences = std::max(1, occurrences);
  DataColumn column;
  column.numeric = item.GetDataType() == NumericType;
  column.width = std::max(1, item.GetLen());
  column.decimals = column.numeric ? std::max(0, item.GetDecimal()) : 0;
  column.decimalsWritten = column.numeric && column.decimals > 0 && item.GetDecChar();
  DescribeItemValues(item, column);
  FieldReader field;
  field.length = static_cast<size_t>(std::max(0, item.GetLen()));
  for (int k = 0; k < occurrences; ++k) {
    DataColumn occurrence = column;
    occurrence.name = item.GetName();
    occurrence.item = item.GetName();
    if (occurrences > 1) occurrence.name += "_" + std::to_string(k + 1);
    field.offset = static_cast<size_t>(std::max(0, item.GetStart() - 1 + k * step));
    table.columns.push_back(std::move(occurrence));
    reader.fields.push_back(field);
  }
}

void AddItems(const CDictRecord& record, DataTable& table, TableReader& reader) {
  const CDictItem* parent = nullptr;
  for (int i = 0; i < record.GetNumItems(); ++i) {
    const CDictItem& item = *record.GetItem(i);
    AddItem(item, item.GetItemType() == SubItem ? parent : nullptr, table, reader);
    if (item.GetItemType() == Item) parent = &item;
  }
}

// 10^n for the implied decimals.
double PowerOfTen(int n) {
  static constexpr double powers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
  return n >= 0 && n <= 16 ? powers[n] : std::pow(10.0, n);
}

// Reads a numeric field: blank, a number (decimals implied unless the field writes its
// point), or not a number.
enum class FieldNumber { Blank, Number, NotANumber };
// The digits of a number read exactly: value == digits / 10^scale.
struct ExactNumber {
  int64_t digits = 0;
  int scale = 0;
  bool exact = false;
};

FieldNumber ReadNumber(std::string_view field, int decimals, double& value, ExactNumber& exactNumber) {
  size_t begin = 0, end = field.size();
  // Right-aligned numbers lead with many blanks: eight at a time first.
  constexpr uint64_t kEightBlanks = 0x2020202020202020ULL;
  for (uint64_t word; end - begin >= 8; begin += 8) {
    std::memcpy(&word, field.data() + begin, 8);
    if (word != kEightBlanks) break;
  }
  while (begin < end && field[begin] == ' ') ++begin;
  while (end > begin && field[end - 1] == ' ') --end;
  if (begin == end) return FieldNumber::Blank;
  bool negative = false;
  if (field[begin] == '-' || field[begin] == '+') negative = field[begin++] == '-';
  uint64_t mantissa = 0;
  int digits = 0, fraction = -1;
  bool exact = true;
  for (size_t i = begin; i < end; ++i) {
    const char c = field[i];
    if (c >= '0' && c <= '9') {
      if (mantissa < 100000000000000000ULL)
        mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      else
        exact = false;
      ++digits;
      if (fraction >= 0) ++fraction;
    } else if ((c == '.' || c == ',') && fraction < 0) {
      fraction = 0;
    } else {
      return FieldNumber::NotANumber;
    }
  }
  if (digits == 0) return FieldNumber::NotANumber;
  if (!exact) {
    std::string text(field.substr(begin, end - begin));
    std::replace(text.begin(), text.end(), ',', '.');
    value = std::strtod(text.c_str(), nullptr);
    if (fraction < 0) value /= PowerOfTen(decimals);
  } else {
    // Whole numbers skip the division, the costliest step of reading a field.
    const int scale = fraction >= 0 ? fraction : decimals;
    value = scale == 0 ? static_cast<double>(mantissa) : static_cast<double>(mantissa) / PowerOfTen(scale);
    exactNumber = {negative ? -static_cast<int64_t>(mantissa) : static_cast<int64_t>(mantissa), scale, true};
  }
  if (negative) value = -value;
  return FieldNumber::Number;
}

void ReadNumericField(const DataColumn& column, std::string_view text, DataCell& cell) {
  double value = 0;
  ExactNumber exact;
  switch (ReadNumber(text, column.decimals, value, exact)) {
    case FieldNumber::Blank:
      if (column.blankMeans != SpecialKind::None)
        cell.SetSpecial(column.blankMeans, false, 0);
      else
        cell.SetBlank();
      return;
    case FieldNumber::NotANumber:
      cell.SetSpecial(SpecialKind::Default, false, 0);
      return;
    case FieldNumber::Number:
      break;
  }
  for (const SpecialCode& code : column.specials) {
    if (code.Covers(value)) return cell.SetSpecial(code.kind, true, value);
  }
  if (exact.exact)
    cell.SetNumber(value, exact.digits, exact.scale);
  else
    cell.SetNumber(value);
}

class DictDataLayout : public DataLayout {
 public:
  bool Build(const CDataDict& dict, std::string& error) {
    label_ = dict.GetLabel();
    typeOffset_ = static_cast<size_t>(std::max(0, dict.GetRecTypeStart() - 1));
    typeLength_ = dict.GetRecTypeStart() > 0 ? static_cast<size_t>(std::max(0, dict.GetRecTypeLen())) : 0;
    DataTable ids;
    TableReader idReader;
    for (int l = 0; l < dict.GetNumLevels(); ++l) {
      const CDictLevel& level = *dict.GetLevel(l);
      AddItems(*level.GetIdItemsRec(), ids, idReader);
      for (int r = 0; r < level.GetNumRecords(); ++r) AddRecord(*level.GetRecord(r), ids, idReader);
    }
    if (tables_.empty()) {
      error = "The dictionary has no record: no line can be read.";
      return false;
    }
    if (typeLength_ == 0 && tables_.size() > 1) {
      error = "The dictionary has " + std::to_string(tables_.size()) +
              " records but no record-type columns: its lines cannot be told apart.";
      return false;
    }
    lineBytes_ = typeOffset_ + typeLength_;
    for (const TableReader& reader : readers_) {
      for (const FieldReader& field : reader.fields) lineBytes_ = std::max(lineBytes_, field.offset + field.length);
    }
    return true;
  }

  size_t LineBytes() const override { return std::max<size_t>(1, lineBytes_); }

  int TableOf(std::string_view line) const override {
    if (typeLength_ == 0) return 0;
    for (size_t t = 0; t < readers_.size(); ++t) {
      if (SameType(line, readers_[t].recordType)) return static_cast<int>(t);
    }
    return -1;
  }

  std::string RecordTypeOf(std::string_view line) const override {
    std::string type(typeLength_, ' ');
    for (size_t k = 0; k < typeLength_; ++k) {
      if (typeOffset_ + k < line.size()) type[k] = line[typeOffset_ + k];
    }
    return type;
  }

  void ReadLine(int table, std::string_view line, std::vector<DataCell>& cells) override {
    const TableReader& reader = readers_[static_cast<size_t>(table)];
    const std::vector<DataColumn>& columns = tables_[static_cast<size_t>(table)].columns;
    cells.resize(reader.fields.size());
    for (size_t i = 0; i < reader.fields.size(); ++i) {
      const std::string_view text = Field(line, reader.fields[i]);
      if (columns[i].numeric)
        ReadNumericField(columns[i], text, cells[i]);
      else
        cells[i].SetText(text, decoder_);
    }
  }

  void ReadTexts(int table, std::string_view line, std::vector<DataCell>& cells) override {
    const TableReader& reader = readers_[static_cast<size_t>(table)];
    const std::vector<DataColumn>& columns = tables_[static_cast<size_t>(table)].columns;
    cells.resize(reader.fields.size());
    for (size_t i = 0; i < reader.fields.size(); ++i) {
      if (!columns[i].numeric) cells[i].SetText(Field(line, reader.fields[i]), decoder_);
    }
  }

 private:
  void AddRecord(const CDictRecord& record, const DataTable& ids, const TableReader& idReader) {
    DataTable table = ids;
    TableReader reader = idReader;
    table.name = record.GetName();
    table.label = record.GetLabel();
    AddItems(record, table, reader);
    reader.recordType = record.GetRecTypeVal();
    reader.recordType.resize(typeLength_, ' ');
    tables_.push_back(std::move(table));
    readers_.push_back(std::move(reader));
  }

  bool SameType(std::string_view line, const std::string& type) const {
    for (size_t k = 0; k < typeLength_; ++k) {
      const char c = typeOffset_ + k < line.size() ? line[typeOffset_ + k] : ' ';
      if (c != type[k]) return false;
    }
    return true;
  }

  // A field's bytes, cut where the line ends: the blanks beyond a short line's end would
  // read as nothing anyway (numbers and texts are read without their surrounding blanks).
  static std::string_view Field(std::string_view line, const FieldReader& field) {
    if (field.offset >= line.size()) return {};
    return line.substr(field.offset, field.length);
  }

  std::vector<TableReader> readers_;
  size_t typeOffset_ = 0, typeLength_ = 0, lineBytes_ = 0;
  OemTextDecoder decoder_;
};

}  // namespace

std::unique_ptr<DataLayout> MakeTravoDataLayout(const CDataDict& dict, std::string& error) {
  auto layout = std::make_unique<DictDataLayout>();
  if (!layout->Build(dict, error)) return nullptr;
  return layout;
}
