// ORVA 3.1 both ways on the largest dictionary the format holds: 100 records, 1000 items
// (100 of them COMMON), 2800 value names and 20000 bytes of value pairs. Prints MB/s of
// the .dd file, the window loads of the reading half and the peak resident memory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "PeakMemory.h"
#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"
#include "orva31/DdAccess.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRecords = 100;
constexpr int kCommonItems = 100;
constexpr int kItemsPerRecord = 9;  // 100 + 100 x 9 = 1000 items

// Items alternate so that the totals are exact: four of every five have length 3 and
// three value names, the fifth length 7 and two; each value name one pair. That gives
// 800 x 3 + 200 x 2 = 2800 value names and 800 x 18 + 200 x 28 = 20000 value bytes.
CDictItem MakeItem(int index, int start) {
  const bool wide = index % 5 == 4;
  CDictItem item;
  item.SetName("ITEM" + std::to_string(index));
  item.SetLabel(item.GetName());
  item.SetStart(start);
  item.SetLen(wide ? 7 : 3);
  item.SetZeroFill(true);
  CDictVSet vset;
  vset.SetName(item.GetName() + "_VS1");
  vset.SetLabel(item.GetName());
  for (int v = 0; v < (wide ? 2 : 3); ++v) {
    CDictValue value;
    value.SetLabel("VALUE " + std::to_string(v));
    CDictVPair pair(std::to_string(v + 1), std::to_string(v + 5));
    value.AddVPair(&pair);
    vset.AddValue(&value);
  }
  item.AddVSet(&vset);
  return item;
}

CDataDict LargestDictionary() {
  CDataDict dict;
  dict.SetName("LARGEST");
  dict.SetLabel("LARGEST");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(2);
  CDictLevel level;
  int index = 0, start = 3;
  for (int i = 0; i < kCommonItems; ++i, ++index) {
    CDictItem item = MakeItem(index, start);
    start += item.GetLen();
    level.GetIdItemsRec()->AddItem(&item);
  }
  for (int r = 0; r < kRecords; ++r) {
    CDictRecord record;
    record.SetName("RECORD" + std::to_string(r));
    record.SetLabel(record.GetName());
    record.SetRecTypeVal(std::to_string(10 + r % 90));
    int recordStart = start;
    for (int i = 0; i < kItemsPerRecord; ++i, ++index) {
      CDictItem item = MakeItem(index, recordStart);
      recordStart += item.GetLen();
      record.AddItem(&item);
    }
    level.AddRecord(&record);
  }
  dict.AddLevel(&level);
  return dict;
}

struct Files {
  std::string folder = (fs::temp_directory_path() / ("orva31-bench-" + std::to_string(getpid()))).string();
  std::string dcf = folder + "/largest.dcf";
  std::string dd = folder + "/largest.dd";
  std::string back = folder + "/back.dcf";
  Files() {
    fs::create_directories(folder);
    CDataDict dict = LargestDictionary();
    dict.Save(dcf);
  }
  ~Files() { fs::remove_all(folder); }
};

const Files& BenchFiles() {
  static const Files files;
  return files;
}

// Times one conversion kind from one file to another; kind 0 needs the .dd written first.
void TimeConversion(benchmark::State& state, int kind, const std::string& from, const std::string& to) {
  const Files& files = BenchFiles();
  CSilentReporter reporter;
  CConvertApp app(reporter);
  if (kind == KIND_ORVA31_TO_TRAVO && !app.RunConversion(KIND_TRAVO_TO_ORVA31, files.dcf, files.dd))
    state.SkipWithError("kind 2 failed");
  ResetPeakResident();
  for (auto _ : state) {
    if (!app.RunConversion(kind, from, to)) state.SkipWithError("conversion failed");
  }
  state.counters["MB"] =
      benchmark::Counter(fs::file_size(files.dd) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peakMB"] = static_cast<double>(PeakResidentBytes()) / 1e6;
}

void BM_TravoToOrva31(benchmark::State& state) {
  TimeConversion(state, KIND_TRAVO_TO_ORVA31, BenchFiles().dcf, BenchFiles().dd);
}

void BM_Orva31ToTravo(benchmark::State& state) {
  TimeConversion(state, KIND_ORVA31_TO_TRAVO, BenchFiles().dd, BenchFiles().back);
}

// The reading half alone: a walk in table order, which loads each table block once.
void BM_WalkOrva31(benchmark::State& state) {
  const Files& files = BenchFiles();
  CSilentReporter reporter;
  CConvertApp app(reporter);
  if (!app.RunConversion(KIND_TRAVO_TO_ORVA31, files.dcf, files.dd)) state.SkipWithError("kind 2 failed");
  DdReader reader;
  DdReadStats stats;
  for (auto _ : state) {
    DdFileInfo info;
    if (reader.OpenFile(files.dd, &info) != DD_OK) state.SkipWithError("open failed");
    for (int r = -1; r < info.numRecords; ++r) {
      DdRecordInfo record;
      reader.GetRecord(r, &record);
      for (int i = 0; i < record.numItems; ++i) {
        DdItemInfo item;
        reader.GetItem(r, i, &item);
        for (int v = 0; v < item.numValueNames; ++v) {
          DdValueNameInfo name;
          DdValuePair pair;
          reader.GetValueName(r, i, v, &name);
          for (int k = 0; k < name.numPairs; ++k) reader.GetValue(r, i, v, k, &pair);
        }
      }
    }
    stats = reader.ReadStats();
    reader.Close();
  }
  state.counters["loads"] = static_cast<double>(stats.loads);
  state.counters["bytesRead"] = static_cast<double>(stats.bytesRead);
  state.counters["fileBytes"] = static_cast<double>(fs::file_size(files.dd));
}

}  // namespace

BENCHMARK(BM_TravoToOrva31)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Orva31ToTravo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkOrva31)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
