// vesk-data: the records of a fixed-width data file written as one CSV per section
// (WriteVeskDataCsv), for a dictionary of 5 sections and 200 variables (one section
// repeating with a group of 4 occurrences) and data files of 10 MB and 100 MB. MB/s is data
// bytes per second; peakMB is the process's peak resident memory during the run, which
// should be the same for both sizes: rows are streamed, nothing grows with the data.
//
// The roster's records are longer than the lines, so its group's later occurrences read as
// blank. The files go to TRAVO_BENCH_DIR when set (default /tmp) and are removed afterwards.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "PeakMemory.h"
#include "tests/vesk/VeskBuilder.h"
#include "vesk/VeskData.h"

namespace {

namespace fs = std::filesystem;
using namespace vesktest;

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

std::string DataDictionary(const Layout& layout) {
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

struct DataFiles {
  std::string folder, dic;
  std::map<int, std::string> data;  // by size in MB
  std::map<int, size_t> bytes;
  DataFiles() {
    const char* base = std::getenv("TRAVO_BENCH_DIR");
    folder = (fs::path(base ? base : "/tmp") / ("vesk-data-bench-" + std::to_string(getpid()))).string();
    fs::create_directories(folder);
    const Layout layout;
    dic = folder + "/DATA.DIC";
    VeskBuilder b;
    b.Raw(DataDictionary(layout));
    b.WriteTo(dic);
    for (int mb : {10, 100}) {
      const std::string path = folder + "/data-" + std::to_string(mb) + ".txt";
      std::ofstream out(path, std::ios::binary);
      const size_t target = static_cast<size_t>(mb) * 1000 * 1000;
      size_t written = 0;
      unsigned seed = 12345;
      std::string line;
      for (long n = 0; written < target; ++n) {
        line.assign(static_cast<size_t>(layout.recordLen), ' ');
        const std::string id = std::to_string(n % 1000);
        line.replace(0, id.size(), id);
        line[3] = static_cast<char>('1' + n % kDataSections);
        for (int v = 0; v < kVarsPerDataSection; ++v) {
          seed = seed * 1103515245u + 12345u;
          char* field = line.data() + layout.start[v] - 1;
          if (layout.len[v] == 6) {
            for (int k = 0; k < 6; ++k) field[k] = static_cast<char>('A' + (seed >> (k * 4)) % 26);
          } else if (seed % 13 == 0) {
            // blank
          } else {
            char number[8];
            std::snprintf(number, sizeof number, "%3u", (seed >> 8) % 1000);
            std::memcpy(field, number, 3);
          }
        }
        line += n % 2 ? "\r\n" : "\n";
        out << line;
        written += line.size();
      }
      data[mb] = path;
      bytes[mb] = written;
    }
  }
  ~DataFiles() { fs::remove_all(folder); }
};

const DataFiles& Files() {
  static DataFiles files;
  return files;
}

void BM_VeskDataCsv(benchmark::State& state) {
  const DataFiles& files = Files();
  const int mb = static_cast<int>(state.range(0));
  const std::string out = files.folder + "/csv";
  ResetPeakResident();
  for (auto _ : state) {
    std::ostringstream messages;
    if (!WriteVeskDataCsv(files.dic, files.data.at(mb), out, messages)) {
      state.SkipWithError(("vesk-data failed: " + messages.str()).c_str());
      break;
    }
    state.PauseTiming();
    fs::remove_all(out);
    state.ResumeTiming();
  }
  state.counters["MB/s"] =
      benchmark::Counter(files.bytes.at(mb) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["dataMB"] = files.bytes.at(mb) / 1e6;
  state.counters["peakMB"] = static_cast<double>(PeakResidentBytes()) / 1e6;
}
BENCHMARK(BM_VeskDataCsv)->Arg(10)->Arg(100)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace
