// Feeds arbitrary field text to the numeric field reader of the VESK library, at every
// width from 1 to 15, and checks that what it reads comes back through the writer.
//
// Input: byte 0 chooses the width (1 to 15), byte 1 the implied decimals (0 to 15), the
// rest is the field text (cut or blank-padded to the width); its first 8 bytes are also
// taken as a double for the writer. Every read and write goes through a buffer of exactly
// the width, so a look past it is an out-of-bounds access.
//
// A value fits its field when the writer wrote no "*". A value that fits must read back
// as itself after rounding to the decimals the field shows, the way the writer rounds:
// with x = |v| * 10^d, 0 when x < 0.5 (the writer shows zero), else sign(v) *
// floor(x + 0.5000000001); d is the decimals (0 for width 1, whose single digit is v + 0.5
// truncated). So 0.49999999999 writes as 0, not 1. Markers must give blanks (BLANK) or
// asterisks.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "vesk/FieldNumbers.h"
#include "vesk/SpecialValues.h"

namespace {

[[noreturn]] void Fail(const char* what, double v, int width, int decimals, const char* field) {
  std::fprintf(stderr, "%s: value %.17g, width %d, decimals %d, field \"%.*s\"\n", what, v, width, decimals, width,
               field);
  std::abort();
}

double Rounded(double v, int width, int decimals) {
  if (width == 1) return std::trunc(v + 0.5);
  const double scaled = std::fabs(v) * std::pow(10.0, decimals);
  const double x = scaled < 0.5 ? 0 : std::floor(scaled + 0.5000000001);
  return v < 0 ? -x : x;
}

double Read(const char* text, int width, int decimals) {
  auto field = std::make_unique<char[]>(static_cast<size_t>(width));
  std::memcpy(field.get(), text, static_cast<size_t>(width));
  return ReadFieldNumber(field.get(), width, decimals);
}

void CheckWrite(double v, int width, int decimals) {
  auto field = std::make_unique<char[]>(static_cast<size_t>(width));
  WriteFieldNumber(v, field.get(), width, decimals);
  const std::string text(field.get(), static_cast<size_t>(width));
  if (SameBits(v, BLANK)) {
    if (text != std::string(static_cast<size_t>(width), ' ')) Fail("BLANK is not written blank", v, width, decimals, field.get());
    return;
  }
  if (std::isnan(v) || v >= MARKER_MIN) {
    if (text != std::string(static_cast<size_t>(width), '*')) Fail("a marker is not written as asterisks", v, width, decimals, field.get());
    return;
  }
  if (text.find('*') != std::string::npos) {
    if (text != std::string(static_cast<size_t>(width), '*')) Fail("asterisks mixed with other text", v, width, decimals, field.get());
    return;  // does not fit
  }
  const double back = ReadFieldNumber(field.get(), width, decimals);
  if (SameBits(back, BLANK) || SameBits(back, DEFAULT)) Fail("a written value does not read", v, width, decimals, field.get());
  if (Rounded(back, width, decimals) != Rounded(v, width, decimals))
    Fail("a written value reads back as another", v, width, decimals, field.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int width = data[0] % 15 + 1;
  const int decimals = data[1] % 16;
  char text[15];
  std::memset(text, ' ', sizeof text);
  std::memcpy(text, data + 2, std::min<size_t>(size - 2, sizeof text));
  // Every width over the same text: nothing is read past the width.
  for (int w = 1; w <= 15; ++w) {
    const double v = Read(text, w, decimals);
    if (std::isnan(v)) Fail("the reader gave NaN", v, w, decimals, text);
  }
  const double value = Read(text, width, decimals);
  CheckWrite(value, width, decimals);
  if (size >= 10) {
    double raw;
    std::memcpy(&raw, data + 2, sizeof raw);
    CheckWrite(raw, width, decimals);
  }
  return 0;
}
