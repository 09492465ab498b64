#include "libs/util/TextTools.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Moves the text from first on to the front of s.
char* ShiftLeft(char* s, const char* first) {
  if (first != s) std::memmove(s, first, std::strlen(first) + 1);
  return s;
}

// Copies at most size - 1 bytes of [from, from + length) into out, NUL-terminated.
void CopyPart(char* out, size_t size, const char* from, size_t length) {
  if (!out || size == 0) return;
  if (length > size - 1) length = size - 1;
  std::memcpy(out, from, length);
  out[length] = '\0';
}

// Length of the run of separator characters at text.
size_t RunLength(const char* text, char separator) {
  size_t n = 0;
  while (text[n] == separator) ++n;
  return n;
}

}  // namespace

char* trimright(char* s) {
  if (!s) return s;
  size_t n = std::strlen(s);
  while (n > 0 && IsBlankChar(s[n - 1])) --n;
  s[n] = '\0';
  return s;
}

char* trimleft(char* s) {
  if (!s) return s;
  const char* p = s;
  while (IsBlankChar(*p)) ++p;
  return ShiftLeft(s, p);
}

char* trimall(char* s) { return trimleft(trimright(s)); }

char* strtrimleft(char* s, char c) {
  if (!s || c == '\0') return s;
  const char* p = s;
  while (*p == c) ++p;
  return ShiftLeft(s, p);
}

char* strtrimright(char* s, char c) {
  if (!s || c == '\0') return s;
  size_t n = std::strlen(s);
  while (n > 0 && s[n - 1] == c) --n;
  s[n] = '\0';
  return s;
}

int strreplace(char* s, char from, char to) {
  if (!s || from == '\0') return 0;
  int count = 0;
  for (; *s; ++s)
    if (*s == from) {
      *s = to;
      ++count;
    }
  return count;
}

char* strcpymax(char* dest, const char* src, size_t max) {
  if (!dest) return dest;
  size_t n = 0;
  if (src)
    while (n < max && src[n]) ++n;
  if (n) std::memmove(dest, src, n);
  dest[n] = '\0';
  return dest;
}

// The context keeps the start of the piece last delivered (nullptr once the text is done);
// *offset must still hold that piece's offset when the call continues, since the offset
// of the next piece is counted from it.
char* strgetparagraph(char* text, char separator, int minRun, char** context, int* offset) {
  if (!context) return nullptr;
  if (minRun < 1) minRun = 1;
  char* from;
  int base = 0;
  if (text) {
    from = text;
  } else {
    char* previous = *context;
    if (!previous) return nullptr;
    size_t length = std::strlen(previous);
    from = previous + length + 1;  // just past the separator the previous call cut
    base = (offset ? *offset : 0) + static_cast<int>(length + 1);
  }
  char* const scanStart = from;
  from += RunLength(from, separator);  // a piece never starts with separators
  if (*from == '\0' || separator == '\0') {
    *context = nullptr;
    return nullptr;
  }
  char* end = from;
  while (*end) {
    size_t run = *end == separator ? RunLength(end, separator) : 0;
    if (run == 0) {
      ++end;
      continue;
    }
    if (run >= static_cast<size_t>(minRun) || end[run] == '\0') break;
    end += run;
  }
  if (offset) *offset = base + static_cast<int>(from - scanStart);
  *context = *end ? from : nullptr;
  *end = '\0';
  return from;
}

const char* strsfn(const char* path, char* folder, char* base, char* ext, size_t size) {
  if (!path) return path;
  const char* slash = std::strrchr(path, '/');
  const char* name = slash ? slash + 1 : path;
  const char* dot = std::strrchr(name, '.');
  size_t folderLength = !slash ? 0 : slash == path ? 1 : static_cast<size_t>(slash - path);
  CopyPart(folder, size, path, folderLength);
  CopyPart(base, size, name, dot ? static_cast<size_t>(dot - name) : std::strlen(name));
  if (dot)
    CopyPart(ext, size, dot + 1, std::strlen(dot + 1));
  else
    CopyPart(ext, size, "", 0);
  return path;
}

size_t Utf8Length(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  size_t n;
  uint32_t cp, min;
  if ((c & 0xE0) == 0xC0) {
    n = 2, cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3, cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4, cp = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (n > s.size() - i) return 0;
  for (size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = Utf8Length(text, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(text, i, n);
      i += n;
    }
  }
  return out;
}

namespace {

bool IsC0OrDel(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A line break or tab that a text laid out in lines keeps.
bool IsLayout(std::string_view text, size_t i) {
  const char c = text[i];
  return c == '\n' || c == '\t' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
}

void AppendHexByte(std::string& out, const char* prefix, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += prefix;
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

bool IsPrintableAscii(char c) { return c >= 0x20 && c < 0x7F; }

std::string Visible(std::string_view text, bool keepLayout) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t run = i;  // printable ASCII goes out as one run
    while (run < text.size() && IsPrintableAscii(text[run])) ++run;
    out.append(text, i, run - i);
    if ((i = run) == text.size()) break;
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t n = Utf8Length(text, i);
    if (n == 0) {
      AppendHexByte(out, "\\x", c);
    } else if (IsC0OrDel(c) && !(keepLayout && IsLayout(text, i))) {
      out += '^';
      out += static_cast<char>(c ^ 0x40);  // ESC 0x1B gives '[', DEL 0x7F gives '?'
    } else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      AppendHexByte(out, "\\u00", static_cast<unsigned char>(text[i + 1]));  // U+0080 to U+009F
    } else {
      out.append(text, i, n);
    }
    i += n == 0 ? 1 : n;
  }
  return out;
}

}  // namespace

std::string VisibleText(std::string_view text) { return Visible(text, false); }

std::string VisibleLines(std::string_view text) { return Visible(text, true); }

std::vector<std::string> SignificantLines(std::string_view bytes, size_t maxLines) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < bytes.size() && lines.size() < maxLines) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    size_t first = pos, last = end;
    pos = end + 1;
    while (first < last && isBlank(bytes[first])) ++first;
    while (last > first && isBlank(bytes[last - 1])) --last;
    if (first == last || bytes[first] == ';') continue;
    lines.emplace_back(bytes.substr(first, last - first));
  }
  return lines;
}
