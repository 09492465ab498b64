// Loading a synthetic VESK dictionary of 100 sections and 50,000 variables, every
// variable with a label, value labels and two ranges, every section with a form. "load"
// is Open and DictLoad; "load+labels+forms" also reads every label text and form text,
// as a conversion does. Throughput is file bytes per second; peakMB is the process's
// peak resident memory since the file was written. The file goes to TRAVO_BENCH_DIR
// when set (default /tmp).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "PeakMemory.h"
#include "tests/vesk/VeskBuilder.h"
#include "vesk/Vesk.h"

namespace {

namespace fs = std::filesystem;
using namespace vesktest;

constexpr int kSections = 100;
constexpr int kVarsPerSection = 500;

std::string SyntheticBytes() {
  VeskBuilder b;
  HeaderSpec h;
  h.labels = {"Synthetic survey"};
  b.Header(h);
  for (int s = 0; s < kSections; ++s) {
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
  File() {
    const char* base = std::getenv("TRAVO_BENCH_DIR");
    folder = (fs::path(base ? base : "/tmp") / ("vesk-bench-" + std::to_string(getpid()))).string();
    fs::create_directories(folder);
    path = folder + "/SYNTH.DIC";
    VeskBuilder b;
    b.Raw(SyntheticBytes());
    b.WriteTo(path);
    size = b.Size();
  }
  ~File() { fs::remove_all(folder); }
};

const File& BenchFile() {
  static const File file;
  return file;
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
    if (!dic.Open(true) || !dic.DictLoad() || dic.numVars != kSections * kVarsPerSection) {
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

}  // namespace

BENCHMARK_MAIN();
