#pragma once
// Writes VESK dictionary files byte by byte for tests, fuzz seeds and benchmarks: the
// header, label blocks, and section, variable, form and key records with their blocks.
// Every record function returns the offset where its record starts, so a test can then
// damage one field with Put8/Put16 and show what the reader does with it.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace vesktest {

// Bit patterns of the special values, for records written before anything is loaded.
inline double Special(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
inline const double kMissing = Special(0x4A511B0EC57E6499ull);
inline const double kNotAppl = Special(0x4A8561D276DDFDBFull);
inline const double kDefault = Special(0x4ABABA4714957D2Full);

struct HeaderSpec {
  std::string name = "SURVEY";
  int16_t levelIdStart[4] = {1, 0, 0, 0};
  int16_t levelIdLen[4] = {3, 0, 0, 0};
  int16_t recTypeStart = 4;
  int16_t recTypeLen = 1;
  std::string created = "010199";
  std::string modified = "020299";
  std::vector<std::string> labels;
  int extraBlocks = 0;
  char tag = 'D';
};

struct SectionSpec {
  std::string name = "SEC";
  char level = '1';
  std::string code = "1";  // up to three characters: record bytes 10, 11 and 26
  uint8_t minOcc = 1;
  uint8_t maxOcc = 1;
  uint8_t groupOcc = 0;
  std::vector<std::string> labels;
  int extraBlocks = 0;
};

struct VariableSpec {
  std::string name = "VAR";
  char type = 'N';
  char kind = 'S';
  int16_t start = 1;
  int len = 1;  // 0, or above 255, goes to the extension
  uint8_t decimals = 0;
  bool zeroFill = false;
  std::string form;
  double missing = kMissing;
  double notAppl = kNotAppl;
  double dflt = kDefault;
  uint8_t row = 0, col = 0, mode = 0, attr = 0;
  std::string transformation;  // up to 96 bytes, in 32-byte blocks
  std::vector<std::pair<double, double>> ranges;
  std::vector<std::string> labels;  // the variable's label, then code and label pairs
  int extraBlocks = 0;
  bool extended = false;
};

struct FormSpec {
  std::string name = "FRM";
  uint8_t attr10 = 0, attr11 = 0, attr20 = 0;
  int16_t lines = 24;
  int16_t fields = 0;
  uint8_t width21 = 80, width22 = 0;
  std::string text;              // screen text, in 32-byte blocks ended by a NUL
  std::vector<uint16_t> cells;   // occurrence-offset entries from entry 0, 16 per block
};

struct KeySpec {
  char tag = 'M';
  std::string name = "MAIN_IDX";
  std::vector<std::string> vars;
  uint8_t flags = ' ';
  int skipBlocks = 0;
};

class VeskBuilder {
 public:
  static constexpr size_t kBlock = 32;

  size_t Header(const HeaderSpec& h) {
    size_t at = Begin(64);
    data_[at] = h.tag;
    Text(at + 1, h.name, 8);
    for (int i = 0; i < 4; ++i) {
      Put16(at + 18 + 2 * i, h.levelIdStart[i]);
      Put16(at + 32 + 2 * i, h.levelIdLen[i]);
    }
    data_[at + 30] = 0;
    Put16(at + 40, h.recTypeStart);
    Put16(at + 42, h.recTypeLen);
    Text(at + 44, h.created, 6);
    Text(at + 50, h.modified, 6);
    std::string labels = LabelBlocks(h.labels);
    Put16(at + 56, static_cast<int16_t>(labels.size() / kBlock));
    Put16(at + 58, static_cast<int16_t>(h.extraBlocks));
    data_ += labels;
    data_.append(h.extraBlocks * kBlock, 'x');
    return at;
  }

  size_t Section(const SectionSpec& s) {
    size_t at = Begin(32);
    data_[at] = 'S';
    data_[at + 1] = s.level;
    Text(at + 2, s.name, 8);
    std::string code = s.code + "   ";
    data_[at + 10] = code[0];
    data_[at + 11] = code[1];
    data_[at + 26] = code[2];
    Put8(at + 12, s.minOcc);
    Put8(at + 13, s.maxOcc);
    Put8(at + 19, s.groupOcc);
    std::string labels = LabelBlocks(s.labels);
    Put16(at + 22, static_cast<int16_t>(labels.size() / kBlock));
    Put16(at + 24, static_cast<int16_t>(s.extraBlocks));
    data_ += labels;
    data_.append(s.extraBlocks * kBlock, 'x');
    return at;
  }

  size_t Variable(const VariableSpec& v) {
    bool extended = v.extended || v.len == 0 || v.len > 255;
    size_t at = Begin(extended ? 96 : 64);
    data_[at] = 'V';
    data_[at + 1] = v.zeroFill ? 'Y' : 'N';
    Text(at + 2, v.name, 8);
    data_[at + 10] = v.type;
    data_[at + 11] = v.kind;
    Put16(at + 12, v.start);
    Put8(at + 14, extended ? 0 : static_cast<uint8_t>(v.len));
    Put8(at + 15, v.decimals);
    Put16(at + 16, static_cast<int16_t>(v.ranges.size()));
    std::string labels = LabelBlocks(v.labels);
    Put16(at + 18, static_cast<int16_t>(labels.size() / kBlock));
    Put16(at + 20, static_cast<int16_t>((v.ranges.size() + 1) / 2));
    Put16(at + 22, static_cast<int16_t>(v.extraBlocks));
    Text(at + 24, v.form, 8);
    PutDouble(at + 32, v.missing);
    PutDouble(at + 40, v.notAppl);
    PutDouble(at + 48, v.dflt);
    Put8(at + 56, v.row);
    Put8(at + 57, v.col);
    Put8(at + 58, v.mode);
    Put8(at + 59, v.attr);
    std::string transformation = Padded(v.transformation, '\0');
    Put8(at + 60, static_cast<uint8_t>(transformation.size() / kBlock));
    data_[at + 61] = extended ? 'Y' : 'N';
    if (extended) Put16(at + 64 + 4, static_cast<int16_t>(v.len));
    data_ += transformation;
    data_ += labels;
    std::string ranges;
    for (const auto& [lo, hi] : v.ranges) ranges += DoubleBytes(lo) + DoubleBytes(hi);
    data_ += Padded(ranges, '\0');
    data_.append(v.extraBlocks * kBlock, 'x');
    return at;
  }

  size_t Form(const FormSpec& f) {
    size_t at = Begin(32);
    data_[at] = 'F';
    Text(at + 2, f.name, 8);
    Put8(at + 10, f.attr10);
    Put8(at + 11, f.attr11);
    std::string text = Padded(f.text, '\0');
    std::string cells;
    for (uint16_t c : f.cells) cells += static_cast<char>(c & 0xFF), cells += static_cast<char>(c >> 8);
    cells = Padded(cells, '\0');
    Put16(at + 12, static_cast<int16_t>(text.size() / kBlock));
    Put16(at + 14, static_cast<int16_t>(cells.size() / kBlock));
    Put16(at + 16, f.lines);
    Put16(at + 18, f.fields);
    Put8(at + 20, f.attr20);
    Put8(at + 21, f.width21);
    Put8(at + 22, f.width22);
    data_ += text;
    data_ += cells;
    return at;
  }

  size_t Key(const KeySpec& k) {
    size_t at = Begin(32);
    data_[at] = k.tag;
    Text(at + 1, k.name, 8);
    Put8(at + 9, static_cast<uint8_t>(k.vars.size()));
    Put16(at + 10, static_cast<int16_t>(k.skipBlocks));
    Put8(at + 12, k.flags);
    data_.append(k.skipBlocks * kBlock, 'x');
    std::string names;
    for (const auto& name : k.vars) names += Fixed(name, 8);
    data_ += Padded(names, ' ');
    return at;
  }

  void Raw(const std::string& bytes) { data_ += bytes; }
  void Put8(size_t offset, uint8_t value) { data_[offset] = static_cast<char>(value); }
  void Put16(size_t offset, int16_t value) {
    data_[offset] = static_cast<char>(value & 0xFF);
    data_[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
  }
  void PutDouble(size_t offset, double value) { data_.replace(offset, 8, DoubleBytes(value)); }
  void Truncate(size_t size) { data_.resize(size); }

  const std::string& Bytes() const { return data_; }
  size_t Size() const { return data_.size(); }
  bool WriteTo(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data_.data(), static_cast<std::streamsize>(data_.size()));
    return static_cast<bool>(out);
  }

  // A label run: the 16-bit total length (its own two bytes included), then every line
  // ended by a newline, padded to whole blocks. No lines, no blocks.
  static std::string LabelBlocks(const std::vector<std::string>& lines) {
    if (lines.empty()) return {};
    std::string body;
    for (const auto& line : lines) body += line + "\n";
    uint16_t total = static_cast<uint16_t>(body.size() + 2);
    std::string run;
    run += static_cast<char>(total & 0xFF);
    run += static_cast<char>(total >> 8);
    return Padded(run + body, ' ');
  }

  static std::string DoubleBytes(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::string out;
    for (int i = 0; i < 8; ++i) out += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return out;
  }

  static std::string Fixed(const std::string& text, size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
  }

  static std::string Padded(std::string bytes, char fill) {
    if (bytes.size() % kBlock) bytes.append(kBlock - bytes.size() % kBlock, fill);
    return bytes;
  }

 private:
  size_t Begin(size_t size) {
    size_t at = data_.size();
    data_.append(size, ' ');
    return at;
  }
  void Text(size_t offset, const std::string& text, size_t width) { data_.replace(offset, width, Fixed(text, width)); }

  std::string data_;
};

}  // namespace vesktest
