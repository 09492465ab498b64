// `travo-convert-cli inspect` and `inspect --json` of a synthetic .dcf of 10,000, 100,000
// and 200,000 items (records of 2,000 items, a value set of five values per item), run as
// the user runs them: each run is the tool in a child process writing to /dev/null. The
// time is the child's wall time; peak_MB is the child's peak resident memory (ru_maxrss
// from wait4). The child is spawned from this process, whose own resident size (a few MB,
// it never holds a dictionary: the files are made in a forked child) is the floor of that
// figure. A table of text and JSON side by side follows the benchmark's own lines.
// The files go to TRAVO_BENCH_DIR when set (default /tmp).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ChildRun.h"
#include "SyntheticDict.h"

namespace {

constexpr int kItemsPerRecord = 2000;
const int kSizes[] = {10000, 100000, 200000};

std::string BenchDir() {
  const char* dir = std::getenv("TRAVO_BENCH_DIR");
  return dir && *dir ? dir : "/tmp";
}

std::string FileFor(int items) { return BenchDir() + "/travo-inspect-bench-" + std::to_string(items) + ".dcf"; }

// The tool's run on the file, its output thrown away; seconds < 0 when it failed.
ChildRun RunInspect(const std::string& path, bool json) {
  std::vector<std::string> args = {TRAVO_CLI_PATH, "inspect"};
  if (json) args.push_back("--json");
  args.push_back(path);
  return RunChild(std::move(args));
}

// The fastest run of each kind and size, and its peak memory, for the table at the end.
std::map<std::pair<int, bool>, ChildRun> g_best;

void BM_Inspect(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  const bool json = state.range(1) != 0;
  ChildRun& best = g_best[{items, json}];
  for (auto _ : state) {
    const ChildRun run = RunInspect(FileFor(items), json);
    if (run.seconds < 0) {
      state.SkipWithError("inspect failed");
      return;
    }
    state.SetIterationTime(run.seconds);
    if (best.seconds < 0 || run.seconds < best.seconds) best.seconds = run.seconds;
    best.peakMB = std::max(best.peakMB, run.peakMB);
  }
  state.SetLabel(json ? "json" : "text");
  state.counters["peak_MB"] = best.peakMB;
  state.counters["ns_per_item"] = benchmark::Counter(
      static_cast<double>(items) * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

bool MakeFile(int items) {
  const pid_t pid = fork();
  if (pid == 0) {
    CDataDict dict = MakeSynthetic(items, kItemsPerRecord);
    _exit(dict.Save(FileFor(items)) ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void PrintTable() {
  std::printf("\n%8s %9s | %10s %10s | %10s %10s | %9s %9s\n", "items", "file MB", "text s", "text MB", "json s",
              "json MB", "json/text", "json/item");
  for (int items : kSizes) {
    const ChildRun text = g_best[{items, false}];
    const ChildRun json = g_best[{items, true}];
    if (text.seconds < 0 || json.seconds < 0) continue;  // left out by a filter
    const double fileMB = static_cast<double>(std::filesystem::file_size(FileFor(items))) / 1e6;
    std::printf("%8d %9.1f | %10.3f %10.1f | %10.3f %10.1f | %9.2f %7.2fus\n", items, fileMB, text.seconds,
                text.peakMB, json.seconds, json.peakMB, json.seconds / text.seconds, json.seconds / items * 1e6);
  }
}

}  // namespace

BENCHMARK(BM_Inspect)
    ->ArgsProduct({{kSizes[0], kSizes[1], kSizes[2]}, {0, 1}})
    ->ArgNames({"items", "json"})
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (int items : kSizes) {
    if (!MakeFile(items)) {
      std::fprintf(stderr, "cannot write %s\n", FileFor(items).c_str());
      return 1;
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintTable();
  for (int items : kSizes) std::filesystem::remove(FileFor(items));
  return 0;
}
