#pragma once
// Low-level access to a VESK dictionary file: handle I/O with POSIX calls, 32-byte block
// arithmetic, and explicit little-endian decoding of record fields. Every reader of the
// library goes through these, so a count or position read from a file never reaches a
// buffer without a bound.
#include <cstdint>

#include "vesk/Lst.h"

namespace vesk {

constexpr int kBlock = 32;

// Reads up to n bytes, retrying short reads; the number read (0 at the end of the file),
// or -1 on an error.
int ReadFull(int fd, void* buffer, int n);
// Writes all n bytes; false on an error.
bool WriteFull(int fd, const void* buffer, int n);
// The handle's position, or -1 when it cannot be told or lies past 2 GiB.
int32_t Tell(int fd);
// Moves to an absolute position; false on an error or a negative position.
bool SeekTo(int fd, int64_t position);
// Moves forward over n blocks. A negative n would move backwards over records already
// read (and could make the scan loop), so it fails like a positioning error.
bool SkipBlocks(int fd, int n);
// The block number of the handle's position, or -1.
int32_t CurrentBlock(int fd);

inline int16_t GetI16(const unsigned char* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }
inline uint16_t GetU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void PutU16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v & 0xFF);
  p[1] = static_cast<unsigned char>(v >> 8);
}
double GetDouble(const unsigned char* p);

// True for a byte that counts as blank at the end of a fixed field: read as a signed
// 8-bit value it is 32 or less (controls and every byte from 0x80 up).
inline bool IsFieldBlank(unsigned char c) { return static_cast<signed char>(c) <= 32; }
// A fixed-width text field with its trailing blanks removed (stops at a NUL as well).
CString FixedText(const unsigned char* p, int width);
// The same into dst, which holds width + 1 bytes; NUL-terminated.
void FixedTextTo(char* dst, const unsigned char* p, int width);
// Writes text blank-padded (or cut) to width bytes, without a NUL.
void PutFixedText(unsigned char* dst, const char* text, int width);

// A double truncated toward zero into 32 bits, saturating (NaN gives 0), so that
// values read from a file never make an undefined conversion.
int32_t TruncInt(double value);
// Removes leading and trailing spaces, tabs, CR and LF in place; returns s.
char* TrimBlanks(char* s);

// A new empty list, or null when memory ran out.
Lst* NewList(bool ownsObjects);
// A new list with the same entries as from (null when from is null or memory ran out).
Lst* CopyEntries(const Lst* from, bool ownsObjects);

}  // namespace vesk
