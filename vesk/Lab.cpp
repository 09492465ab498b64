#include "vesk/Lab.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#include "vesk/VeskFile.h"

using namespace vesk;

Lab::Lab(const Lab& other) : fd(other.fd), nBlocks(other.nBlocks), startBlock(other.startBlock), status(other.status) {
  if (!other.text) return;
  size_t size = static_cast<size_t>(other.Length()) + 2;
  text = new (std::nothrow) char[size];
  if (text) std::memcpy(text, other.text, size);
}

Lab& Lab::operator=(const Lab& other) {
  if (this != &other) {
    Free();
    Lab copy(other);
    fd = copy.fd;
    nBlocks = copy.nBlocks;
    startBlock = copy.startBlock;
    status = copy.status;
    std::swap(text, copy.text);
  }
  return *this;
}

void Lab::Free() {
  delete[] text;
  text = nullptr;
}

int Lab::Length() const { return text ? GetU16(reinterpret_cast<const unsigned char*>(text)) : 0; }

// The text is the first L bytes of the block run, L being the 16-bit length it starts
// with. When L claims more than the blocks hold (or than the file still has), the text
// is cut to what was read and its length field says so, so nothing later reads past it.
int32_t Lab::Load() {
  status = kOk;
  if (text) return 1;
  if (fd >= 0 && nBlocks >= 1 && SeekTo(fd, static_cast<int64_t>(startBlock) * kBlock)) {
    unsigned char head[kBlock];
    int got = ReadFull(fd, head, kBlock);
    int length = got >= 2 ? GetU16(head) : 0;
    if (length >= 1) {
      int wanted = static_cast<int>(std::min<int64_t>(length, static_cast<int64_t>(nBlocks) * kBlock));
      text = new (std::nothrow) char[static_cast<size_t>(wanted) + 2]();
      if (!text) {
        status = kNoMemory;
        return 0;
      }
      int have = std::min(got, wanted);
      std::memcpy(text, head, static_cast<size_t>(have));
      if (have == kBlock && wanted > kBlock) {
        int more = ReadFull(fd, text + kBlock, wanted - kBlock);
        if (more > 0) have += more;
      }
      if (have < length) PutU16(reinterpret_cast<unsigned char*>(text), static_cast<uint16_t>(have));
      return 1;
    }
  }
  status = kNoText;
  return 0;
}

char* Lab::GetLabel(char* dst, const char* cursor, int width) {
  cleanstr(dst, width);
  int length = Length();
  if (!text || !cursor || length < 1) return nullptr;
  const char* end = text + length - 1;
  const char* newline = nullptr;
  if (cursor >= text && cursor <= end)
    newline = static_cast<const char*>(std::memchr(cursor, '\n', static_cast<size_t>(end - cursor) + 1));
  if (newline && newline - cursor >= 1) {
    copytext(dst, cursor, static_cast<int>(std::min<std::ptrdiff_t>(newline - cursor, width)));
    return const_cast<char*>(newline + 1);
  }
  return const_cast<char*>(cursor >= text && cursor < end ? cursor + 1 : end);
}

void Lab::cleanstr(char* s, int n) {
  n = std::max(n, 0);
  std::memset(s, ' ', static_cast<size_t>(n));
  s[n] = '\0';
}

void Lab::copytext(char* dst, const char* src, int n) {
  int i = 0;
  for (; i < n && src[i]; ++i) dst[i] = src[i];
  for (; i < n; ++i) dst[i] = ' ';
}

char* Lab::stpbrk(char* s, const char* set) { return std::strpbrk(s, set); }
