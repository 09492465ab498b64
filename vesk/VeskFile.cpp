#include "vesk/VeskFile.h"

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

namespace vesk {

int ReadFull(int fd, void* buffer, int n) {
  if (fd < 0 || n < 0) return -1;
  char* out = static_cast<char*>(buffer);
  int done = 0;
  while (done < n) {
    ssize_t got = ::read(fd, out + done, static_cast<size_t>(n - done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<int>(got);
  }
  return done;
}

bool WriteFull(int fd, const void* buffer, int n) {
  if (fd < 0 || n < 0) return false;
  const char* in = static_cast<const char*>(buffer);
  int done = 0;
  while (done < n) {
    ssize_t put = ::write(fd, in + done, static_cast<size_t>(n - done));
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (put == 0) return false;
    done += static_cast<int>(put);
  }
  return true;
}

int32_t Tell(int fd) {
  if (fd < 0) return -1;
  off_t pos = ::lseek(fd, 0, SEEK_CUR);
  if (pos < 0 || pos > INT32_MAX) return -1;
  return static_cast<int32_t>(pos);
}

bool SeekTo(int fd, int64_t position) {
  if (fd < 0 || position < 0 || position > INT32_MAX) return false;
  return ::lseek(fd, static_cast<off_t>(position), SEEK_SET) >= 0;
}

bool SkipBlocks(int fd, int n) {
  if (n < 0) return false;
  int32_t pos = Tell(fd);
  if (pos < 0) return false;
  return SeekTo(fd, static_cast<int64_t>(pos) + static_cast<int64_t>(n) * kBlock);
}

int32_t CurrentBlock(int fd) {
  int32_t pos = Tell(fd);
  return pos < 0 ? -1 : pos / kBlock;
}

double GetDouble(const unsigned char* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  return std::bit_cast<double>(bits);
}

static int FieldLength(const unsigned char* p, int width) {
  int n = 0;
  while (n < width && p[n] != 0) ++n;
  while (n > 0 && IsFieldBlank(p[n - 1])) --n;
  return n;
}

CString FixedText(const unsigned char* p, int width) {
  return CString(std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(FieldLength(p, width))));
}

void FixedTextTo(char* dst, const unsigned char* p, int width) {
  int n = FieldLength(p, width);
  std::memcpy(dst, p, static_cast<size_t>(n));
  dst[n] = '\0';
}

void PutFixedText(unsigned char* dst, const char* text, int width) {
  int i = 0;
  for (; text && text[i] && i < width; ++i) dst[i] = static_cast<unsigned char>(text[i]);
  for (; i < width; ++i) dst[i] = ' ';
}

int32_t TruncInt(double value) {
  if (value != value) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

static bool IsTrimBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char* TrimBlanks(char* s) {
  size_t n = std::strlen(s);
  while (n > 0 && IsTrimBlank(s[n - 1])) --n;
  s[n] = '\0';
  size_t lead = 0;
  while (lead < n && IsTrimBlank(s[lead])) ++lead;
  if (lead > 0) std::memmove(s, s + lead, n - lead + 1);
  return s;
}

Lst* NewList(bool ownsObjects) {
  Lst* list = new (std::nothrow) Lst;
  if (list) list->ownsObjects = ownsObjects ? 1 : 0;
  return list;
}

Lst* CopyEntries(const Lst* from, bool ownsObjects) {
  if (!from) return nullptr;
  Lst* list = NewList(ownsObjects);
  for (uint16_t i = 0; list && i < from->count; ++i) {
    Nod* node = from->NodeAt(i);
    list->Put(node->name, node->obj);
  }
  return list;
}

}  // namespace vesk
