#include "libs/data/DataTables.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "libs/util/SafeFile.h"

void DataCell::SetText(std::string_view field, const OemTextDecoder& decoder) {
  kind = Kind::Text;
  size_t end = field.size();
  while (end > 0 && field[end - 1] == ' ') --end;
  decoder.ToHost(field.substr(0, end), text);
}

const char* SpecialWord(SpecialKind kind) {
  switch (kind) {
    case SpecialKind::Missing:
      return "MISSING";
    case SpecialKind::NotAppl:
      return "NOTAPPL";
    case SpecialKind::Default:
      return "DEFAULT";
    case SpecialKind::None:
      break;
  }
  return "";
}

const char* DataFormatExtension(DataFormat format) {
  switch (format) {
    case DataFormat::Sav:
      return "sav";
    case DataFormat::Dta:
      return "dta";
    case DataFormat::Csv:
      break;
  }
  return "csv";
}

std::unique_ptr<TableWriter> MakeTableWriter(DataFormat format) {
  switch (format) {
    case DataFormat::Sav:
      return MakeSavWriter();
    case DataFormat::Dta:
      return MakeDtaWriter();
    case DataFormat::Csv:
      break;
  }
  return MakeCsvWriter();
}

namespace {

// One pass over the text; find_first_of would search the set once per character.
bool NeedsQuotes(std::string_view text) {
  for (char c : text) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

// A cell as RFC 4180 wants it: quoted when it holds a comma, a quote or a line end.
void AppendCsvCell(std::string& row, std::string_view text) {
  if (!NeedsQuotes(text)) {
    row += text;
    return;
  }
  row += '"';
  for (char c : text) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

// The value with decimals decimals written through integer digits, when value * 10^decimals
// lies within 1e-6 of an integer below 1e9 (every value read from a field of those decimals):
// the product is then off the exact one by less than 2e-7, so that integer is the correctly
// rounded value, and the text is the one to_chars gives (a negative value keeps its sign
// even when it rounds to zero). False, with nothing written, for any other value.
bool AppendScaledInteger(std::string& row, double value, int decimals) {
  static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  if (decimals < 0 || decimals > 9) return false;
  const double scaled = value * kPowers[decimals];
  if (!(std::fabs(scaled) < 1e9)) return false;  // also NaN
  const double rounded = std::nearbyint(scaled);
  if (std::fabs(scaled - rounded) > 1e-6) return false;
  char digits[24];
  char* end = digits + sizeof digits;
  char* begin = end;
  uint64_t magnitude = static_cast<uint64_t>(std::fabs(rounded));
  for (int written = 0; magnitude > 0 || written <= decimals; ++written) {
    if (written == decimals && decimals > 0) *--begin = '.';
    *--begin = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  if (value < 0) *--begin = '-';
  row.append(begin, end);
  return true;
}

// A number with exactly its column's decimals; whole numbers and numbers of those decimals
// take integer paths, which are much faster than formatting a double.
void AppendNumber(std::string& row, double value, int decimals) {
  char text[400];
  if (value == 0) value = 0.0;  // no "-0"
  if (decimals <= 0 && std::fabs(value) < 1e15 && value == std::trunc(value)) {
    auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<long long>(value));
    row.append(text, end);
    return;
  }
  if (AppendScaledInteger(row, value, decimals)) return;
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, std::max(0, decimals));
  if (ec == std::errc()) row.append(text, end);
}

class CsvWriter : public TableWriter {
 public:
  bool Begin(const std::string& path, const DataTable& table, long, const std::string&, std::string& error) override {
    if (!out_.Open(path, &error)) return false;
    decimals_.clear();
    std::string header = "line";
    for (const DataColumn& column : table.columns) {
      header += ',';
      AppendCsvCell(header, column.name);
      decimals_.push_back(column.decimals);
    }
    header += "\r\n";
    return out_.Write(header);
  }

  bool Row(long line, const std::vector<DataCell>& cells) override {
    row_.clear();
    char number[24];
    auto [end, ec] = std::to_chars(number, number + sizeof number, line);
    row_.append(number, end);
    for (size_t i = 0; i < cells.size(); ++i) {
      row_ += ',';
      const DataCell& cell = cells[i];
      switch (cell.kind) {
        case DataCell::Kind::Number:
          AppendNumber(row_, cell.number, i < decimals_.size() ? decimals_[i] : 0);
          break;
        case DataCell::Kind::Special:
          row_ += SpecialWord(cell.special);
          break;
        case DataCell::Kind::Text:
          AppendCsvCell(row_, cell.text);
          break;
        case DataCell::Kind::Blank:
          break;
      }
    }
    row_ += "\r\n";
    return out_.Write(row_);
  }

  bool Commit(std::string& error) override { return out_.Commit(&error); }
  void Abandon() override { out_.Abandon(); }

 private:
  CAtomicFileWriter out_;
  std::vector<int> decimals_;
  std::string row_;
};

}  // namespace

std::unique_ptr<TableWriter> MakeCsvWriter() { return std::make_unique<CsvWriter>(); }
