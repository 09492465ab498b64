#include "libs/data/DataTables.h"

#include <charconv>
#include <cstring>
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

// The rows are written through a cursor into a buffer made large enough for the row
// beforehand: appending to a string checks its room at every character.
char* PutText(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// A cell as RFC 4180 wants it: quoted when it holds a comma, a quote or a line end. At most
// 2 * size + 2 bytes.
char* PutCsvCell(char* out, std::string_view text) {
  if (!NeedsQuotes(text)) return PutText(out, text);
  *out++ = '"';
  for (char c : text) {
    if (c == '"') *out++ = '"';
    *out++ = c;
  }
  *out++ = '"';
  return out;
}

// The digits of magnitude with the point before the last decimals of them, after any zeros
// given in front (written right to left, ending at end); the start of the text.
char* DigitsBackwards(char* end, uint64_t magnitude, int decimals, int written) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char* begin = end;
  bool pointDone = decimals <= 0;
  for (;;) {
    if (!pointDone && written == decimals) {
      *--begin = '.';
      pointDone = true;
    }
    if (magnitude == 0 && written > decimals) break;
    // Two digits a step, one division fewer, where the point does not fall between them.
    if (magnitude >= 10 && (pointDone || written + 1 != decimals)) {
      const size_t pair = static_cast<size_t>(magnitude % 100) * 2;
      *--begin = kPairs[pair + 1];
      *--begin = kPairs[pair];
      magnitude /= 100;
      written += 2;
      continue;
    }
    *--begin = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    ++written;
  }
  return begin;
}

// The length of the text DigitsBackwards makes of magnitude with zeros zeros after it, with
// a sign when negative: the numbers are written right to left straight into the row.
size_t NumberLength(uint64_t magnitude, int decimals, int zeros, bool negative) {
  static constexpr uint64_t kTens[] = {10ULL,
                                      100ULL,
                                      1000ULL,
                                      10000ULL,
                                      100000ULL,
                                      1000000ULL,
                                      10000000ULL,
                                      100000000ULL,
                                      1000000000ULL,
                                      10000000000ULL,
                                      100000000000ULL,
                                      1000000000000ULL,
                                      10000000000000ULL,
                                      100000000000000ULL,
                                      1000000000000000ULL,
                                      10000000000000000ULL,
                                      100000000000000000ULL,
                                      1000000000000000000ULL,
                                      10000000000000000000ULL};
  int digits = 1;  // compared, not divided: a division costs as much as many comparisons
  while (digits < 20 && magnitude >= kTens[digits - 1]) ++digits;
  digits += zeros;
  const int whole = std::max(1, digits - std::max(0, decimals));
  return static_cast<size_t>(whole + (decimals > 0 ? 1 + decimals : 0) + (negative ? 1 : 0));
}

// The value with decimals decimals written through integer digits, when value * 10^decimals
// lies within 1e-6 of an integer below 1e9 (every value read from a field of those decimals):
// the product is then off the exact one by less than 2e-7, so that integer is the correctly
// rounded value, and the text is the one to_chars gives (a negative value keeps its sign
// even when it rounds to zero). Null, with nothing written, for any other value.
char* PutScaledInteger(char* out, double value, int decimals) {
  static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  if (decimals < 0 || decimals > 9) return nullptr;
  const double scaled = value * kPowers[decimals];
  if (!(std::fabs(scaled) < 1e9)) return nullptr;  // also NaN
  const double rounded = std::nearbyint(scaled);
  if (std::fabs(scaled - rounded) > 1e-6) return nullptr;
  const uint64_t magnitude = static_cast<uint64_t>(std::fabs(rounded));
  char* end = out + NumberLength(magnitude, decimals, 0, value < 0);
  char* begin = DigitsBackwards(end, magnitude, decimals, 0);
  if (value < 0) *--begin = '-';
  return end;
}

// A number with exactly its column's decimals; whole numbers and numbers of those decimals
// take integer paths, which are much faster than formatting a double. At most 400 bytes.
char* PutNumber(char* out, double value, int decimals) {
  if (value == 0) value = 0.0;  // no "-0"
  if (decimals <= 0 && std::fabs(value) < 1e15 && value == std::trunc(value)) {
    return std::to_chars(out, out + 24, static_cast<long long>(value)).ptr;
  }
  if (char* end = PutScaledInteger(out, value, decimals)) return end;
  auto [end, ec] = std::to_chars(out, out + 400, value, std::chars_format::fixed, std::max(0, decimals));
  return ec == std::errc() ? end : out;
}

// A number given as its digits (digits / 10^scale, exactly) with decimals decimals, when
// scale is no more than decimals: the digits, zeros after them, the point put in. The same
// text as PutNumber gives for that value, without going through a double. Null when scale
// is more than decimals.
char* PutDigits(char* out, int64_t digits, int scale, int decimals) {
  if (scale > decimals || decimals > 18 || scale < 0) return nullptr;
  const uint64_t magnitude = digits < 0 ? 0 - static_cast<uint64_t>(digits) : static_cast<uint64_t>(digits);
  char* end = out + NumberLength(magnitude, decimals, decimals - scale, digits < 0);
  char* begin = end;
  for (int k = scale; k < decimals; ++k) *--begin = '0';
  begin = DigitsBackwards(begin, magnitude, decimals, decimals - scale);
  if (digits < 0) *--begin = '-';
  return end;
}

// The most bytes a cell can take in a row, with the comma before it.
size_t MostBytes(const DataCell& cell) {
  switch (cell.kind) {
    case DataCell::Kind::Number:
      return 401;
    case DataCell::Kind::Text:
      return 2 * cell.text.size() + 3;
    case DataCell::Kind::Special:
    case DataCell::Kind::Blank:
      break;
  }
  return 8;
}

class CsvWriter : public TableWriter {
 public:
  bool Begin(const std::string& path, const DataTable& table, long, const std::string&, std::string& error) override {
    if (!out_.Open(path, &error)) return false;
    decimals_.clear();
    std::string header = "line";
    for (const DataColumn& column : table.columns) {
      header += ',';
      const size_t at = header.size();
      header.resize(at + 2 * column.name.size() + 2);
      header.resize(static_cast<size_t>(PutCsvCell(header.data() + at, column.name) - header.data()));
      decimals_.push_back(column.decimals);
    }
    header += "\r\n";
    return out_.Write(header);
  }

  bool Row(long line, const std::vector<DataCell>& cells) override {
    size_t most = 24 + 2;
    for (const DataCell& cell : cells) most += MostBytes(cell);
    if (rows_.size() < used_ + most) rows_.resize(used_ + most);
    char* out = std::to_chars(rows_.data() + used_, rows_.data() + used_ + 24, line).ptr;
    for (size_t i = 0; i < cells.size(); ++i) {
      *out++ = ',';
      const DataCell& cell = cells[i];
      switch (cell.kind) {
        case DataCell::Kind::Number: {
          const int decimals = i < decimals_.size() ? decimals_[i] : 0;
          char* end = cell.hasDigits ? PutDigits(out, cell.digits, cell.scale, decimals) : nullptr;
          out = end ? end : PutNumber(out, cell.number, decimals);
          break;
        }
        case DataCell::Kind::Special:
          out = PutText(out, SpecialWord(cell.special));
          break;
        case DataCell::Kind::Text:
          out = PutCsvCell(out, cell.text);
          break;
        case DataCell::Kind::Blank:
          break;
      }
    }
    *out++ = '\r';
    *out++ = '\n';
    used_ = static_cast<size_t>(out - rows_.data());
    return used_ < kRowsChunk || WriteRows();
  }

  bool Commit(std::string& error) override {
    WriteRows();
    return out_.Commit(&error);
  }
  void Abandon() override { out_.Abandon(); }

 private:
  CAtomicFileWriter out_;
  std::vector<int> decimals_;
  // Rows are gathered into chunks larger than the file writer's buffer, which it writes
  // straight to the file instead of copying them.
  static constexpr size_t kRowsChunk = 1 << 18;
  bool WriteRows() {
    const bool written = out_.Write(std::string_view(rows_.data(), used_));
    used_ = 0;
    return written;
  }
  std::string rows_;
  size_t used_ = 0;  // bytes of rows_ that hold rows not yet written
};

}  // namespace

std::unique_ptr<TableWriter> MakeCsvWriter() { return std::make_unique<CsvWriter>(); }
