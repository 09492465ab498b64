#include "vesk/SpecialValues.h"

#include <bit>
#include <cstdint>

namespace {
constexpr uint64_t kBits[5] = {
    0x4A511B0EC57E6499ull,  // MISSING
    0x4A8561D276DDFDBFull,  // NOTAPPL
    0x4ABABA4714957D2Full,  // DEFAULT
    0x4AF0B46C6CDD6E3Dull,  // BLANK
    0x4A511B0EC57E6499ull,  // MARKER_MIN
};
}  // namespace

double MISSING = std::bit_cast<double>(kBits[0]);
double NOTAPPL = std::bit_cast<double>(kBits[1]);
double DEFAULT = std::bit_cast<double>(kBits[2]);
double BLANK = std::bit_cast<double>(kBits[3]);
double MARKER_MIN = std::bit_cast<double>(kBits[4]);

void InitSpecialValues() {
  MISSING = std::bit_cast<double>(kBits[0]);
  NOTAPPL = std::bit_cast<double>(kBits[1]);
  DEFAULT = std::bit_cast<double>(kBits[2]);
  BLANK = std::bit_cast<double>(kBits[3]);
  MARKER_MIN = std::bit_cast<double>(kBits[4]);
}

