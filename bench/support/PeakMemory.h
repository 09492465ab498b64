#pragma once
// The process's peak resident memory (VmHWM), for benchmarks to print beside their times.
#include <fstream>
#include <string>

// Peak resident set size in bytes, 0 when it cannot be read.
inline long long PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) * 1024;  // the figure is in kB
  }
  return 0;
}

// Resets the peak to the current size, so the next figure covers only what follows.
inline void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }
