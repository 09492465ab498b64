#include "libs/util/JsonStream.h"

#include <algorithm>
#include <charconv>

namespace {

// Texts of printable ASCII without quotes or backslashes are written as they are.
bool NeedsEscaping(std::string_view text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\') return true;
  }
  return false;
}

// Scalars and texts that need escaping are written by nlohmann::json itself.
std::string Dumped(const nlohmann::ordered_json& scalar) {
  return scalar.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace

void CJsonStreamWriter::Flush() {
  if (out_ && !buffer_.empty()) out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}

void CJsonStreamWriter::NewLineAndIndent() {
  static constexpr std::string_view kSpaces = "                                                                ";
  Write("\n");
  for (size_t n = 2 * filled_.size(); n > 0;) {
    const size_t chunk = std::min(n, kSpaces.size());
    Write(kSpaces.substr(0, chunk));
    n -= chunk;
  }
}

void CJsonStreamWriter::BeginValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (filled_.empty()) return;  // the document itself
  if (filled_.back()) Write(",");
  filled_.back() = true;
  NewLineAndIndent();
}

void CJsonStreamWriter::Key(std::string_view key) {
  BeginValue();
  Quoted(key);
  Write(": ");
  afterKey_ = true;
}

void CJsonStreamWriter::String(std::string_view text) {
  BeginValue();
  Quoted(text);
}

void CJsonStreamWriter::Quoted(std::string_view text) {
  if (NeedsEscaping(text)) {
    Write(Dumped(std::string(text)));
    return;
  }
  Write("\"");
  Write(text);
  Write("\"");
}

void CJsonStreamWriter::Double(double value) { Raw(Dumped(value)); }

void CJsonStreamWriter::Signed(long long value) {
  char digits[24];
  Raw(std::string_view(digits, std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
}

void CJsonStreamWriter::Unsigned(unsigned long long value) {
  char digits[24];
  Raw(std::string_view(digits, std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
}

void CJsonStreamWriter::Open(char bracket) {
  BeginValue();
  Write(std::string_view(&bracket, 1));
  filled_.push_back(false);
}

void CJsonStreamWriter::Close(char bracket) {
  const bool filled = filled_.back();
  filled_.pop_back();
  if (filled) NewLineAndIndent();
  Write(std::string_view(&bracket, 1));
}

void CJsonStreamWriter::Value(const nlohmann::ordered_json& value) {
  if (value.is_object()) {
    BeginObject();
    Fields(value);
    EndObject();
  } else if (value.is_array()) {
    BeginArray();
    for (const auto& element : value) Value(element);
    EndArray();
  } else if (value.is_string()) {
    String(value.get_ref<const std::string&>());
  } else if (value.is_number_integer() && !value.is_number_unsigned()) {
    Signed(value.get<long long>());
  } else if (value.is_number_unsigned()) {
    Unsigned(value.get<unsigned long long>());
  } else if (value.is_boolean()) {
    Bool(value.get<bool>());
  } else {
    Raw(Dumped(value));
  }
}

void CJsonStreamWriter::Fields(const nlohmann::ordered_json& object) {
  for (const auto& [key, element] : object.items()) Field(key, element);
}
