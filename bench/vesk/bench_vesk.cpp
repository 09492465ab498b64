// Loading a synthetic VESK dictionary of 100 sections and 50,000 variables, every
// variable with a label, value labels and two ranges, every section with a form. "load"
// is Open and DictLoad; "load+labels+forms" also reads every label text and form text,
// as a conversion does. Throughput is file bytes per second; peakMB is the process's
// peak resident memory since the file was written.
//
// Converting the same kind of dictionary into a Travo dictionary (kind 3, a silent
// reporter), with 10, 20 and 100 sections of 500 variables: usPerVar is the time of one
// conversion per variable, which should stay flat as the dictionary grows; outsideLoad is
// the share of the conversion's time not spent in Open and DictLoad (timed separately on
// the same file, outside the figure).
//
// The same with forms too (kind 4, the fixed text measurer): a dictionary and a forms
// file of one form per section, every variable a field at its screen position and every
// line of the screen text a text item; fmfMB is the size of the forms file.
//
// The files go to TRAVO_BENCH_DIR when set (default /tmp). Every save syncs its file to
// disk, so a folder on tmpfs (/dev/shm) gives steadier conversion figures.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "PeakMemory.h"
#include "app/ConvertApp.h"
#include "tests/vesk/VeskBuilder.h"
#include "vesk/Vesk.h"

namespace {

namespace fs = std::filesystem;
using namespace vesktest;

constexpr int kSections = 100;
constexpr int kVarsPerSection = 500;

std::string SyntheticBytes(int sections) {
  VeskBuilder b;
  HeaderSpec h;
  h.labels = {"Synthetic survey"};
  b.Header(h);
  for (int s = 0; s < sections; ++s) {
    const std::string sec = "S" + std::to_string(s);
    std::string text;
    b.Section({.name = sec, .code = std::to_string(s % 10), .labels = {"Section " + sec}});
    for (int v = 0; v < kVarsPerSection; ++v) {
      const std::string name = "V" + std::to_string(s * kVarsPerSection + v);
      b.Variable({.name = name, .start = static_cast<int16_t>(2 + 2 * v), .len = 2, .form = "F" + sec,
                  .missing = 99, .row = static_cast<uint8_t>(v % 20), .col = static_cast<uint8_t>(v / 20 * 3),
                  .ranges = {{1, 10}, {98, 99}},
                  .labels = {"Question " + name, "1", "Yes", "2", "No", "99", "Missing"}});
      text += "Q" + std::to_string(v) + "\t[  ]\n";
    }
    b.Form({.name = "F" + sec, .lines = kVarsPerSection, .fields = kVarsPerSection, .text = text});
  }
  b.Key({.tag = 'M', .vars = {"V0"}});
  return b.Bytes();
}

struct File {
  std::string folder;
  std::string path;
  size_t size = 0;
  int vars = 0;
  explicit File(int sections) : vars(sections * kVarsPerSection) {
    const char* base = std::getenv("TRAVO_BENCH_DIR");
    const std::string name = "vesk-bench-" + std::to_string(getpid()) + "-" + std::to_string(sections);
    folder = (fs::path(base ? base : "/tmp") / name).string();
    fs::create_directories(folder);
    path = folder + "/SYNTH.DIC";
    VeskBuilder b;
    b.Raw(SyntheticBytes(sections));
    b.WriteTo(path);
    size = b.Size();
  }
  ~File() { fs::remove_all(folder); }
};

// The synthetic file of that many sections, written once.
const File& BenchFile(int sections = kSections) {
  static std::map<int, std::unique_ptr<File>> files;
  auto& file = files[sections];
  if (!file) file = std::make_unique<File>(sections);
  return *file;
}

void ReadEverything(Dic& dic) {
  char line[64];
  for (uint16_t i = 0; i < dic.vars->count; ++i) {
    Var* var = dic.GetVar(static_cast<short>(i));
    var->labels->Load();
    var->GetVarLabel(line);
  }
  for (uint16_t i = 0; i < dic.forms->count; ++i) {
    Frm* frm = static_cast<Frm*>((*dic.forms)[i]);
    frm->Read(1);
    frm->FreeBuf();
  }
}

void BM_LoadSynthetic(benchmark::State& state) {
  const File& file = BenchFile();
  ResetPeakResident();
  for (auto _ : state) {
    Dic dic;
    CString name = file.path;
    dic.SetDicName(name);
    dic.SetDicType(Dic_eDictFile);
    if (!dic.Open(true) || !dic.DictLoad() || dic.numVars != file.vars) {
      state.SkipWithError("the synthetic dictionary did not load");
      break;
    }
    if (state.range(0)) ReadEverything(dic);
    benchmark::DoNotOptimize(dic.numVars);
  }
  state.SetLabel(state.range(0) ? "load+labels+forms" : "load");
  state.counters["MB"] = benchmark::Counter(file.size / 1e6, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["fileMB"] = file.size / 1e6;
  state.counters["peakMB"] = static_cast<double>(PeakResidentBytes()) / 1e6;
}
BENCHMARK(BM_LoadSynthetic)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Converts the synthetic file of state.range(0) sections with kind, timing each
// conversion and, apart from it, the loading of the same file.
void ConvertSynthetic(benchmark::State& state, int kind) {
  const File& file = BenchFile(static_cast<int>(state.range(0)));
  const std::string output = file.folder + "/SYNTH.dcf";
  double convertSeconds = 0;
  double loadSeconds = 0;
  // What earlier, larger runs left to the allocator would otherwise count as this run's peak.
  malloc_trim(0);
  ResetPeakResident();
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    CSilentReporter silent;
    CConvertApp app(silent);
    const bool wrote = app.RunConversion(kind, file.path, output);
    const double seconds = SecondsSince(start);
    if (!wrote) {
      state.SkipWithError("the synthetic dictionary did not convert");
      break;
    }
    state.SetIterationTime(seconds);
    convertSeconds += seconds;

    start = std::chrono::steady_clock::now();
    {
      Dic dic;
      CString name = file.path;
      dic.SetDicName(name);
      dic.SetDicType(Dic_eDictFile);
      if (!dic.Open(true) || !dic.DictLoad()) {
        state.SkipWithError("the synthetic dictionary did not load");
        break;
      }
      loadSeconds += SecondsSince(start);
    }
  }
  state.counters["vars"] = file.vars;
  state.counters["usPerVar"] =
      benchmark::Counter(convertSeconds * 1e6 / file.vars, benchmark::Counter::kAvgIterations);
  state.counters["outsideLoad"] = convertSeconds > 0 ? (convertSeconds - loadSeconds) / convertSeconds : 0;
  auto sizeMB = [](const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0.0 : static_cast<double>(size) / 1e6;
  };
  state.counters["dcfMB"] = sizeMB(output);
  if (kind == KIND_VESK_TO_TRAVO_FORMS) state.counters["fmfMB"] = sizeMB(file.folder + "/SYNTH.fmf");
  state.counters["peakMB"] = static_cast<double>(PeakResidentBytes()) / 1e6;
}

// The argument is the number of sections.
void BM_ConvertSynthetic(benchmark::State& state) { ConvertSynthetic(state, KIND_VESK_TO_TRAVO); }
BENCHMARK(BM_ConvertSynthetic)->Arg(10)->Arg(20)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ConvertSyntheticForms(benchmark::State& state) { ConvertSynthetic(state, KIND_VESK_TO_TRAVO_FORMS); }
BENCHMARK(BM_ConvertSyntheticForms)->Arg(10)->Arg(20)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
