// vesk-data: the records of a fixed-width data file written as one CSV per section
// (WriteVeskDataCsv), for a dictionary of 5 sections and 200 variables (one section
// repeating with a group of 4 occurrences) and data files of 10 MB and 100 MB. MB/s is data
// bytes per second; peakMB is the process's peak resident memory during the run, which
// should be the same for both sizes: rows are streamed, nothing grows with the data.
//
// The dictionary and the data are VeskDataSample.h's. The files go to TRAVO_BENCH_DIR when
// set (default /tmp) and are removed afterwards.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "PeakMemory.h"
#include "VeskDataSample.h"
#include "vesk/VeskData.h"

namespace {

namespace fs = std::filesystem;

struct DataFiles {
  std::string folder, dic;
  std::map<int, std::string> data;  // by size in MB
  std::map<int, size_t> bytes;
  DataFiles() {
    const char* base = std::getenv("TRAVO_BENCH_DIR");
    folder = (fs::path(base ? base : "/tmp") / ("vesk-data-bench-" + std::to_string(getpid()))).string();
    fs::create_directories(folder);
    dic = folder + "/DATA.DIC";
    vesktest::VeskBuilder b;
    b.Raw(veskdatasample::DictionaryBytes());
    b.WriteTo(dic);
    for (int mb : {10, 100}) {
      const std::string path = folder + "/data-" + std::to_string(mb) + ".txt";
      data[mb] = path;
      bytes[mb] = veskdatasample::WriteData(path, static_cast<size_t>(mb) * 1000 * 1000);
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
