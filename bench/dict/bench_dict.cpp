// Save and Open of a synthetic dictionary with 10,000 and 100,000 items, every item with a
// value set of five values. Throughput (bytes_per_second) is bytes of .dcf text per second of
// CPU time; ns_per_item shows whether the cost grows linearly. peak_x_file is the rise of the
// resident memory during the operation over the file size, measured before the timed runs
// in a fresh child process per operation, so that what the benchmark itself holds or freed
// does not blur it (Open: from nothing to the dictionary read; Save: from a dictionary read
// from the file to the file written).
// The files go to TRAVO_BENCH_DIR when set (default /tmp); Save includes the fsync of
// WriteFileAtomically, which shows in its real time; DcfToText is measured alone too.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "PeakMemory.h"
#include "SyntheticDict.h"
#include "libs/dict/DataDict.h"

namespace {

std::string BenchDir() {
  const char* dir = std::getenv("TRAVO_BENCH_DIR");
  return dir && *dir ? dir : "/tmp";
}

std::string FileFor(int items) { return BenchDir() + "/travo-bench-" + std::to_string(items) + ".dcf"; }

long long FileSize(int items) { return static_cast<long long>(std::filesystem::file_size(FileFor(items))); }

// Runs work in a child process and returns how far its resident memory rose above what it
// was right before work started (bytes), or -1.
template <typename Prepare, typename Work>
long long ChildPeak(Prepare prepare, Work work) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    auto state = prepare();
    ResetPeakResident();
    const long long before = PeakResidentBytes();
    work(state);
    const long long rise = PeakResidentBytes() - before;
    ssize_t ignored = write(fds[1], &rise, sizeof rise);
    (void)ignored;
    _exit(0);
  }
  close(fds[1]);
  long long rise = -1;
  if (read(fds[0], &rise, sizeof rise) != sizeof rise) rise = -1;
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return rise;
}

std::map<std::string, double> g_memory;  // filled before the timed runs

void MeasureMemory(int items) {
  const double size = static_cast<double>(FileSize(items));
  const long long open = ChildPeak([] { return 0; },
                                   [&](int) {
                                     CDataDict dict;
                                     if (!dict.Open(FileFor(items))) std::abort();
                                   });
  // The dictionary to save is read from the file: building it with temporaries would leave
  // freed memory that the save reuses, which hides what it needs.
  const long long save = ChildPeak(
      [&] {
        auto dict = std::make_unique<CDataDict>();
        if (!dict->Open(FileFor(items))) std::abort();
        return dict;
      },
      [&](std::unique_ptr<CDataDict>& dict) {
        if (!dict->Save(FileFor(items) + ".save")) std::abort();
      });
  std::filesystem::remove(FileFor(items) + ".save");
  g_memory["open" + std::to_string(items)] = open / size;
  g_memory["save" + std::to_string(items)] = save / size;
  std::printf("%d items: file %.1f MB; peak rise during Open %.1f MB (%.2f x file), during Save %.1f MB (%.2f x file)\n",
              items, size / 1e6, open / 1e6, open / size, save / 1e6, save / size);
}

void SetCounters(benchmark::State& state, int items, long long bytes, const char* memoryKey) {
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations() * items);
  state.counters["ns_per_item"] =
      benchmark::Counter(static_cast<double>(items) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                                benchmark::Counter::kInvert);
  if (memoryKey) state.counters["peak_x_file"] = g_memory[memoryKey + std::to_string(items)];
}

// The dictionary of a size, read once from its file. Reading lays it out the same way at
// both sizes; building it with temporaries, or again for every run of a benchmark, lays it
// out by the churn of the heap, which the figures would then measure.
CDataDict& Synthetic(int items) {
  static std::map<int, std::unique_ptr<CDataDict>> built;
  auto& dict = built[items];
  if (!dict) {
    dict = std::make_unique<CDataDict>();
    if (!dict->Open(FileFor(items))) std::abort();
  }
  return *dict;
}

void BM_Save(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  CDataDict& dict = Synthetic(items);
  for (auto _ : state) {
    if (!dict.Save(FileFor(items))) state.SkipWithError(dict.GetLastError().c_str());
  }
  SetCounters(state, items, FileSize(items), "save");
}

void BM_DcfToText(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  const CDataDict& dict = Synthetic(items);
  long long bytes = 0;
  for (auto _ : state) {
    std::string text = DcfToText(dict);
    bytes = static_cast<long long>(text.size());
    benchmark::DoNotOptimize(text.data());
  }
  SetCounters(state, items, bytes, nullptr);
}

void BM_Open(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto dict = std::make_unique<CDataDict>();
    if (!dict->Open(FileFor(items))) state.SkipWithError(dict->GetLastError().c_str());
    benchmark::DoNotOptimize(dict->GetNumRecs());
    state.PauseTiming();  // freeing the dictionary is not part of Open
    dict.reset();
    state.ResumeTiming();
  }
  SetCounters(state, items, FileSize(items), "open");
}

const int kSizes[] = {10000, 100000};

}  // namespace

BENCHMARK(BM_Save)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DcfToText)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // The files are made in a child process, so that this process has allocated nothing big
  // when the memory probes fork from it.
  for (int items : kSizes) {
    const long long made = ChildPeak([] { return 0; },
                                     [&](int) {
                                       CDataDict dict = MakeSynthetic(items);
                                       if (!dict.Save(FileFor(items))) std::abort();
                                     });
    if (made < 0 || !std::filesystem::exists(FileFor(items))) {
      std::fprintf(stderr, "cannot write %s\n", FileFor(items).c_str());
      return 1;
    }
  }
  for (int items : kSizes) MeasureMemory(items);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (int items : kSizes) std::filesystem::remove(FileFor(items));
  return 0;
}
