#pragma once
// A VESK dictionary of 5 sections and 200 variables (the last section repeating, with a
// group of 8 variables that occur 4 times) and fixed-width data files of any size for it,
// the same bytes every time: for the benchmarks of vesk-data.
//
// The roster's records are longer than the lines, so its group's later occurrences read as
// blank.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "tests/vesk/VeskBuilder.h"

namespace veskdatasample {

constexpr int kDataSections = 5;
constexpr int kVarsPerDataSection = 40;
constexpr int kGroupVars = 8;  // the last section's last variables repeat 4 times

// Each variable's start and length, the same for every section: 3-digit numbers (every
// fourth with a decimal), every fifth an alpha of 6.
struct Layout {
  int start[kVarsPerDataSection];
  int len[kVarsPerDataSection];
  int recordLen = 0;
  Layout() {
    int col = 5;
    for (int v = 0; v < kVarsPerDataSection; ++v) {
      start[v] = col;
      len[v] = v % 5 == 4 ? 6 : 3;
      col += len[v];
    }
    recordLen = col - 1;
  }
};

inline std::string DictionaryBytes() {
  using namespace vesktest;
  const Layout layout;
  VeskBuilder b;
  b.Header(HeaderSpec{});
  for (int s = 0; s < kDataSections; ++s) {
    const bool roster = s == kDataSections - 1;
    b.Section({.name = "SEC" + std::to_string(s + 1), .code = std::to_string(s + 1), .minOcc = 0,
               .maxOcc = static_cast<uint8_t>(roster ? 20 : 1), .groupOcc = static_cast<uint8_t>(roster ? 4 : 0)});
    int groupStart = 0, groupCol = 0;
    for (int v = 0; v < kVarsPerDataSection; ++v) {
      const bool multiple = roster && v >= kVarsPerDataSection - kGroupVars;
      if (multiple && groupStart == 0) groupStart = groupCol = layout.start[v];
      const int16_t start = static_cast<int16_t>(multiple ? groupCol : layout.start[v]);
      if (multiple) groupCol += layout.len[v];
      b.Variable({.name = "S" + std::to_string(s + 1) + "V" + std::to_string(v), .type = layout.len[v] == 6 ? 'A' : 'N',
                  .kind = multiple ? 'M' : 'S', .start = start, .len = layout.len[v],
                  .decimals = static_cast<uint8_t>(v % 4 == 3 && layout.len[v] == 3 ? 1 : 0), .missing = 999});
    }
  }
  return b.Bytes();
}

// Writes lines of every section into path until it holds at least bytes bytes (LF and
// CRLF ends in turn; every thirteenth number blank); the bytes written, 0 when it failed.
inline size_t WriteData(const std::string& path, size_t bytes) {
  const Layout layout;
  std::ofstream out(path, std::ios::binary);
  size_t written = 0;
  unsigned seed = 12345;
  std::string line;
  for (long n = 0; out && written < bytes; ++n) {
    line.assign(static_cast<size_t>(layout.recordLen), ' ');
    const std::string id = std::to_string(n % 1000);
    line.replace(0, id.size(), id);
    line[3] = static_cast<char>('1' + n % kDataSections);
    for (int v = 0; v < kVarsPerDataSection; ++v) {
      seed = seed * 1103515245u + 12345u;
      char* field = line.data() + layout.start[v] - 1;
      if (layout.len[v] == 6) {
        for (int k = 0; k < 6; ++k) field[k] = static_cast<char>('A' + (seed >> (k * 4)) % 26);
      } else if (seed % 13 != 0) {
        char number[8];
        std::snprintf(number, sizeof number, "%3u", (seed >> 8) % 1000);
        std::memcpy(field, number, 3);
      }
    }
    line += n % 2 ? "\r\n" : "\n";
    out << line;
    written += line.size();
  }
  out.close();
  return out ? written : 0;
}

}  // namespace veskdatasample
