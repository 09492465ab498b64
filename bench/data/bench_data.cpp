// `travo-convert-cli data` over a large fixed-width data file, beside md5sum of the same
// file: how many times slower than reading and hashing the bytes the tables are written.
//
// The dictionary is a Travo .dcf of 4 record types and 200 items (numbers with and without
// decimals, written or implied, alpha items, items with occurrences, value sets with a
// MISSING code); the data files hold lines of every record type, the same bytes every run.
// For each size the bench runs, each as a child process as the user runs it: md5sum of the
// file, `data --to csv`, `--to sav`, `--to dta`, then `vesk-data` over a VESK data file of
// the same size (the dictionary and data of VeskDataSample.h) and md5sum of that file.
// Each line shows MB/s (data bytes per second of wall time), x_md5 (that throughput over
// md5sum's of the same file: 0.33 means a third of md5sum's speed) and peak_MB (the child's
// peak resident memory, ru_maxrss from wait4); a table of the same figures follows.
//
// Each run is timed once; --benchmark_repetitions=N runs each N times and keeps the fastest
// (the machine's load moves md5sum's figure, and so every ratio, a good deal).
//
// Sizes: TRAVO_DATA_BENCH_MB, a comma-separated list of megabytes (default "100,1000");
// TRAVO_DATA_BENCH_MB=20 makes a quick run. The files go to a new folder in TRAVO_BENCH_DIR
// when set (default /tmp), removed at the end; a 1000 MB run needs about 5 GB there.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "VeskDataSample.h"
#include "libs/dict/DataDict.h"

namespace {

namespace fs = std::filesystem;

// ---- The dictionary -------------------------------------------------------------------

constexpr int kIdLen = 6;  // the household number, columns 2 to 7; the record type is column 1

struct RecordPlan {
  const char* name;
  const char* type;
  int items;
  int maxRecs;
  int perHousehold;  // lines of this type per household in the data
};

const RecordPlan kRecords[] = {
    {"HOUSING", "1", 40, 1, 1},
    {"PERSON", "2", 70, 30, 4},
    {"INCOME", "3", 50, 20, 2},
    {"ASSET", "4", 40, 10, 1},
};

// The kinds of items, taken in turn.
enum class ItemKind { Coded, Count, WrittenDecimals, ImpliedDecimals, Text, Repeated, Amount, Plain, KindCount };

ItemKind KindOf(int item) { return static_cast<ItemKind>(item % static_cast<int>(ItemKind::KindCount)); }

int WidthOf(ItemKind kind) {
  switch (kind) {
    case ItemKind::Coded: return 1;
    case ItemKind::Count: return 3;
    case ItemKind::WrittenDecimals: return 7;
    case ItemKind::ImpliedDecimals: return 6;
    case ItemKind::Text: return 10;
    case ItemKind::Repeated: return 2;
    case ItemKind::Amount: return 4;
    default: return 5;
  }
}

int OccurrencesOf(ItemKind kind) { return kind == ItemKind::Repeated ? 3 : 1; }

CDictValue Value(const std::string& from, const std::string& to, const std::string& label, bool missing = false) {
  CDictValue value;
  value.SetLabel(label);
  CDictVPair pair(from, to);
  value.AddVPair(&pair);
  if (missing) {
    value.SetName("MISSING");
    value.SetValueType(MissingType);
    value.SetSpecial(true);
  }
  return value;
}

void AddValueSet(CDictItem& item, ItemKind kind) {
  std::vector<CDictValue> values;
  if (kind == ItemKind::Coded) {
    for (const char* label : {"Yes", "No", "Sometimes", "Don't know"})
      values.push_back(Value(std::to_string(values.size() + 1), "", label));
    values.push_back(Value("9", "", "Not stated", true));
  } else if (kind == ItemKind::Amount) {
    values.push_back(Value("0", "9990", "Amount"));
    values.push_back(Value("9999", "", "Not stated", true));
  } else {
    return;
  }
  CDictVSet vset;
  vset.SetName(item.GetName() + "_VS1");
  vset.SetLabel(item.GetLabel());
  for (CDictValue& value : values) vset.AddValue(&value);
  item.AddVSet(&vset);
}

CDictItem MakeItem(const std::string& name, ItemKind kind, int start) {
  CDictItem item;
  item.SetName(name);
  item.SetLabel("Question " + name);
  item.SetStart(start);
  item.SetLen(WidthOf(kind));
  item.SetOccurs(OccurrencesOf(kind));
  item.SetDataType(kind == ItemKind::Text ? AlphaType : NumericType);
  if (kind == ItemKind::WrittenDecimals || kind == ItemKind::ImpliedDecimals) {
    item.SetDecimal(2);
    item.SetDecChar(kind == ItemKind::WrittenDecimals);
  }
  AddValueSet(item, kind);
  return item;
}

CDataDict MakeDictionary() {
  CDataDict dict;
  dict.SetName("BENCHDATA");
  dict.SetLabel("Benchmark survey");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(1);
  CDictLevel level;
  level.SetName("HOUSEHOLD");
  level.SetLabel("Household");
  CDictRecord ids;
  ids.SetName("HH_IDS");
  CDictItem hhid = MakeItem("HHID", ItemKind::Plain, 2);
  hhid.SetLen(kIdLen);
  ids.AddItem(&hhid);
  level.SetIdItemsRec(&ids);
  for (const RecordPlan& plan : kRecords) {
    CDictRecord rec;
    rec.SetName(plan.name);
    rec.SetLabel(std::string(plan.name) + " record");
    rec.SetRecTypeVal(plan.type);
    rec.SetMaxRecs(plan.maxRecs);
    int column = 2 + kIdLen;
    for (int i = 0; i < plan.items; ++i) {
      const ItemKind kind = KindOf(i);
      CDictItem item = MakeItem(std::string(plan.name).substr(0, 1) + std::to_string(i), kind, column);
      column += WidthOf(kind) * OccurrencesOf(kind);
      rec.AddItem(&item);
    }
    rec.SetRecLen(column - 1);
    level.AddRecord(&rec);
  }
  dict.AddLevel(&level);
  return dict;
}

// ---- The data -------------------------------------------------------------------------

class Numbers {
 public:
  uint32_t Next() {
    state_ = state_ * 1103515245u + 12345u;
    return state_ >> 8;
  }

 private:
  uint32_t state_ = 20240;
};

// value right-aligned in width digits, blank-padded.
void PutNumber(char* field, int width, uint32_t value) {
  for (int k = width - 1; k >= 0; --k) {
    field[k] = static_cast<char>('0' + value % 10);
    value /= 10;
    if (value == 0) break;
  }
}

void FillField(char* field, ItemKind kind, Numbers& numbers) {
  const int width = WidthOf(kind);
  const uint32_t r = numbers.Next();
  if (r % 23 == 0) return;  // blank
  switch (kind) {
    case ItemKind::Coded:
      field[0] = r % 31 == 0 ? '9' : static_cast<char>('1' + r % 4);
      break;
    case ItemKind::WrittenDecimals:
      PutNumber(field, 4, r % 10000);
      field[4] = '.';
      PutNumber(field + 5, 2, r / 10000 % 100);
      if (field[5] == ' ') field[5] = '0';
      break;
    case ItemKind::Text:
      for (int k = 0; k < width; ++k) field[k] = k > 0 && (r >> k) % 5 == 0 ? ' ' : static_cast<char>('A' + (r >> k) % 26);
      break;
    case ItemKind::Amount:
      PutNumber(field, width, r % 29 == 0 ? 9999 : r % 9990);
      break;
    default: {
      uint32_t limit = 1;
      for (int k = 0; k < width; ++k) limit *= 10;
      PutNumber(field, width, r % limit);
    }
  }
}

std::string DataLine(const RecordPlan& plan, long household, Numbers& numbers) {
  std::string line(1 + kIdLen, ' ');
  line[0] = plan.type[0];
  PutNumber(line.data() + 1, kIdLen, static_cast<uint32_t>(household % 1000000));
  for (int i = 0; i < plan.items; ++i) {
    const ItemKind kind = KindOf(i);
    for (int o = 0; o < OccurrencesOf(kind); ++o) {
      const size_t at = line.size();
      line.append(static_cast<size_t>(WidthOf(kind)), ' ');
      FillField(line.data() + at, kind, numbers);
    }
  }
  return line + '\n';
}

// Households' lines into path until it holds at least bytes bytes; the bytes written, 0
// when it failed.
size_t WriteTravoData(const std::string& path, size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  Numbers numbers;
  size_t written = 0;
  std::string block;
  for (long household = 1; out && written < bytes; ++household) {
    block.clear();
    for (const RecordPlan& plan : kRecords)
      for (int k = 0; k < plan.perHousehold; ++k) block += DataLine(plan, household, numbers);
    out << block;
    written += block.size();
  }
  out.close();
  return out ? written : 0;
}

// ---- The runs -------------------------------------------------------------------------

struct DataSet {
  int mb = 0;
  std::string travoData, veskData;
  size_t travoBytes = 0, veskBytes = 0;
};

struct Files {
  std::string folder, dcf, dic;
  std::vector<DataSet> sets;
};

Files g_files;

std::vector<int> SizesInMB() {
  const char* chosen = std::getenv("TRAVO_DATA_BENCH_MB");
  std::stringstream list(chosen && *chosen ? chosen : "100,1000");
  std::vector<int> sizes;
  for (std::string item; std::getline(list, item, ',');) {
    if (const int mb = std::atoi(item.c_str()); mb > 0) sizes.push_back(mb);
  }
  return sizes;
}

bool MakeFiles() {
  const char* base = std::getenv("TRAVO_BENCH_DIR");
  std::string pattern = (fs::path(base && *base ? base : "/tmp") / "data-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return false;
  g_files.folder = pattern;
  g_files.dcf = g_files.folder + "/bench.dcf";
  g_files.dic = g_files.folder + "/BENCH.DIC";
  vesktest::VeskBuilder vesk;
  vesk.Raw(veskdatasample::DictionaryBytes());
  if (!MakeDictionary().Save(g_files.dcf) || !vesk.WriteTo(g_files.dic)) return false;
  for (int mb : SizesInMB()) {
    DataSet set;
    set.mb = mb;
    const size_t bytes = static_cast<size_t>(mb) * 1000 * 1000;
    set.travoData = g_files.folder + "/travo-" + std::to_string(mb) + ".dat";
    set.veskData = g_files.folder + "/vesk-" + std::to_string(mb) + ".txt";
    set.travoBytes = WriteTravoData(set.travoData, bytes);
    set.veskBytes = veskdatasample::WriteData(set.veskData, bytes);
    if (set.travoBytes == 0 || set.veskBytes == 0) return false;
    g_files.sets.push_back(set);
  }
  return true;
}

struct Tool {
  std::string name;  // "md5sum", "csv", "sav", "dta", "vesk-data", "md5sum-vesk"
  bool vesk;         // over the VESK data file
};

const Tool kTools[] = {{"md5sum", false}, {"csv", false}, {"sav", false}, {"dta", false},
                       {"md5sum-vesk", true}, {"vesk-data", true}};

std::vector<std::string> CommandOf(const Tool& tool, const DataSet& set, const std::string& out) {
  if (tool.name.rfind("md5sum", 0) == 0) return {"md5sum", tool.vesk ? set.veskData : set.travoData};
  if (tool.name == "vesk-data") return {TRAVO_CLI_PATH, "vesk-data", g_files.dic, set.veskData, "-d", out};
  return {TRAVO_CLI_PATH, "data", "--to", tool.name, "--yes", "--quiet", g_files.dcf, set.travoData, "-d", out};
}

// The fastest run of each tool and size (over the repetitions), for the ratios and the table.
std::map<std::pair<int, std::string>, ChildRun> g_best;

double Throughput(const ChildRun& run, size_t bytes) { return run.seconds > 0 ? bytes / 1e6 / run.seconds : 0; }

void RunTool(benchmark::State& state, const Tool& tool, const DataSet& set) {
  const std::string out = g_files.folder + "/out";
  const size_t bytes = tool.vesk ? set.veskBytes : set.travoBytes;
  ChildRun& best = g_best[{set.mb, tool.name}];
  for (auto _ : state) {
    const ChildRun run = RunChild(CommandOf(tool, set, out));
    state.PauseTiming();
    fs::remove_all(out);
    state.ResumeTiming();
    if (run.seconds < 0) {
      state.SkipWithError((tool.name + " failed").c_str());
      return;
    }
    state.SetIterationTime(run.seconds);
    if (best.seconds < 0 || run.seconds < best.seconds) best.seconds = run.seconds;
    best.peakMB = std::max(best.peakMB, run.peakMB);
  }
  const ChildRun& md5 = g_best[{set.mb, tool.vesk ? "md5sum-vesk" : "md5sum"}];
  state.counters["MB/s"] = Throughput(best, bytes);
  state.counters["x_md5"] = Throughput(md5, bytes) > 0 ? Throughput(best, bytes) / Throughput(md5, bytes) : 0;
  state.counters["peak_MB"] = best.peakMB;
  state.counters["data_MB"] = bytes / 1e6;
}

void PrintTable() {
  std::printf("\n%8s %-12s %9s %9s %8s %9s\n", "data MB", "run", "seconds", "MB/s", "x_md5", "peak MB");
  for (const DataSet& set : g_files.sets) {
    for (const Tool& tool : kTools) {
      const auto found = g_best.find({set.mb, tool.name});
      if (found == g_best.end() || found->second.seconds < 0) {
        std::printf("%8d %-12s %9s\n", set.mb, tool.name.c_str(), "failed");
        continue;
      }
      const size_t bytes = tool.vesk ? set.veskBytes : set.travoBytes;
      const ChildRun& run = found->second;
      const ChildRun& md5 = g_best[{set.mb, tool.vesk ? "md5sum-vesk" : "md5sum"}];
      std::printf("%8d %-12s %9.2f %9.1f %8.2f %9.1f\n", set.mb, tool.name.c_str(), run.seconds,
                  Throughput(run, bytes), md5.seconds > 0 ? md5.seconds / run.seconds : 0, run.peakMB);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!MakeFiles()) {
    std::fprintf(stderr, "cannot write the benchmark's files into %s\n", g_files.folder.c_str());
    fs::remove_all(g_files.folder);
    return 1;
  }
  // Registered in this order and run in it: md5sum comes before the runs compared with it.
  for (const DataSet& set : g_files.sets) {
    for (const Tool& tool : kTools) {
      benchmark::RegisterBenchmark(("BM_Data/" + std::to_string(set.mb) + "MB/" + tool.name).c_str(),
                                   [&tool, &set](benchmark::State& state) { RunTool(state, tool, set); })
          ->UseManualTime()
          ->Iterations(1)
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintTable();
  fs::remove_all(g_files.folder);
  return 0;
}
