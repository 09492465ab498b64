#include "libs/util/VornString.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "libs/util/CodePage.h"
#include "res/StringTable.h"

namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }
bool IsTrimChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsNameChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; }

// Clamps a (first, count) window to the text, so callers may pass any values.
size_t ClampIndex(int index, size_t size) {
  if (index < 0) return 0;
  return static_cast<size_t>(index) > size ? size : static_cast<size_t>(index);
}

// Formats a broken-down local time of now with an strftime pattern.
CVornString FormatNow(const char* pattern) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[32];
  size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
  return CVornString(std::string(buffer, n));
}

constexpr size_t kMaxNameLength = 32;
constexpr char kNamePrefix = 'X';
constexpr const char* kEmptyName = "NONAME";

}  // namespace

bool CVornString::IsBlank() const {
  for (char c : *this)
    if (!IsBlankChar(c)) return false;
  return true;
}

CVornString CVornString::Left(int count) const { return CVornString(substr(0, ClampIndex(count, size()))); }

CVornString CVornString::Right(int count) const {
  size_t n = ClampIndex(count, size());
  return CVornString(substr(size() - n));
}

CVornString CVornString::Mid(int first) const { return CVornString(substr(ClampIndex(first, size()))); }

CVornString CVornString::Mid(int first, int count) const {
  size_t start = ClampIndex(first, size());
  return CVornString(substr(start, ClampIndex(count, size() - start)));
}

int CVornString::Find(char c, int start) const {
  if (start < 0) start = 0;
  if (static_cast<size_t>(start) >= size()) return -1;
  size_t at = find(c, static_cast<size_t>(start));
  return at == npos ? -1 : static_cast<int>(at);
}

int CVornString::Find(std::string_view s, int start) const {
  if (start < 0) start = 0;
  if (static_cast<size_t>(start) > size()) return -1;
  size_t at = find(s, static_cast<size_t>(start));
  return at == npos ? -1 : static_cast<int>(at);
}

int CVornString::ReverseFind(char c) const {
  size_t at = rfind(c);
  return at == npos ? -1 : static_cast<int>(at);
}

int CVornString::CompareNoCase(std::string_view other) const {
  size_t n = size() < other.size() ? size() : other.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char a = static_cast<unsigned char>(LowerAscii((*this)[i]));
    unsigned char b = static_cast<unsigned char>(LowerAscii(other[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  if (size() == other.size()) return 0;
  return size() < other.size() ? -1 : 1;
}

int CVornString::Replace(char from, char to) {
  int count = 0;
  for (char& c : *this)
    if (c == from) {
      c = to;
      ++count;
    }
  return count;
}

int CVornString::Replace(std::string_view from, std::string_view to) {
  if (from.empty()) return 0;
  std::string out;
  int count = 0;
  size_t pos = 0;
  for (size_t at; (at = find(from, pos)) != npos; pos = at + from.size(), ++count) {
    out.append(*this, pos, at - pos);
    out.append(to);
  }
  if (count == 0) return 0;
  out.append(*this, pos, npos);
  assign(std::move(out));
  return count;
}

void CVornString::MakeUpper() {
  for (char& c : *this) c = UpperAscii(c);
}

void CVornString::MakeLower() {
  for (char& c : *this) c = LowerAscii(c);
}

void CVornString::TrimRight() {
  size_t n = size();
  while (n > 0 && IsTrimChar((*this)[n - 1])) --n;
  erase(n);
}

void CVornString::TrimLeft() {
  size_t n = 0;
  while (n < size() && IsTrimChar((*this)[n])) ++n;
  erase(0, n);
}

void CVornString::Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  FormatV(fmt, args);
  va_end(args);
}

void CVornString::FormatV(const char* fmt, va_list args) {
  if (!fmt) {
    clear();
    return;
  }
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) {
    clear();
    return;
  }
  std::vector<char> buffer(static_cast<size_t>(n) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
  assign(buffer.data(), static_cast<size_t>(n));
}

bool CVornString::LoadString(int stringId) {
  const char* text = LoadResString(stringId);
  assign(text ? text : "");
  return text != nullptr;
}

void CVornString::MakeName() {
  std::string name;
  for (char c : *this) {
    char u = UpperAscii(c);
    if (!IsNameChar(u)) u = '_';
    if (u == '_' && (name.empty() || name.back() == '_')) continue;  // folds runs, drops leading
    name.push_back(u);
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  if (name.empty()) name = kEmptyName;
  if (!(name[0] >= 'A' && name[0] <= 'Z')) name.insert(name.begin(), kNamePrefix);
  if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
  while (name.back() == '_') name.pop_back();  // a cut may end on '_'
  assign(std::move(name));
}

CVornString CVornString::GetToken(const char* delimiters, char* found, int /*reserved*/) {
  std::string_view delims = delimiters ? delimiters : "";
  auto isDelim = [&](char c) { return c != '\0' && delims.find(c) != std::string_view::npos; };
  const bool blankDelim = isDelim(' ');
  auto skipBlanks = [&](size_t at) {
    if (blankDelim)
      while (at < size() && (*this)[at] == ' ') ++at;
    return at;
  };

  size_t pos = skipBlanks(0);
  CVornString token;
  // A leading quoted text is one piece: its delimiters separate nothing, its quotes go.
  if (pos < size() && ((*this)[pos] == '"' || (*this)[pos] == '\'')) {
    size_t close = find((*this)[pos], pos + 1);
    if (close != npos) {
      token.assign(*this, pos + 1, close - pos - 1);
      pos = close + 1;
    }
  }
  while (pos < size() && !isDelim((*this)[pos])) token.push_back((*this)[pos++]);

  char ender = '\0';
  if (pos < size()) {
    ender = (*this)[pos++];
    // Blanks around a delimiter belong to it: "1 , 2" and "1, 2" both end "1" at the comma.
    if (ender == ' ') {
      size_t next = skipBlanks(pos);
      if (next < size() && isDelim((*this)[next])) {
        ender = (*this)[next];
        pos = next + 1;
      }
    }
    pos = skipBlanks(pos);
  }
  erase(0, pos);
  if (found) *found = ender;
  return token;
}


void CVornString::CharToOemA() { assign(HostToOem(*this)); }

void CVornString::OemToCharA() { assign(OemToHost(*this)); }

CVornString CVornString::Date() { return FormatNow("%m/%d/%Y"); }

CVornString CVornString::Time() { return FormatNow("%H:%M:%S"); }
