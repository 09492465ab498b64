#include "libs/util/TextTools.h"

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
