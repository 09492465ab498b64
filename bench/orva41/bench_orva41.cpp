// ORVA 4.1 text dictionary to Travo, end to end (read, validate, save), on synthetic
// dictionaries of 5,000 and 50,000 items with value sets. Prints MB/s of input, items per
// second (so the time per item) and the peak resident memory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "PeakMemory.h"
#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"
#include "orva41/Orva41Format.h"

namespace {

constexpr int kItemsPerRecord = 50;

// A household-style dictionary: a common section with two id items, then records of 50
// numeric items, each with a value set of ranges, single values and a blank value.
std::string SyntheticDictionary(int items) {
  std::ostringstream out;
  out << "[Dictionary]\nVersion=ORVA 4.1\nLabel=Synthetic survey of " << items << " items\nName=SYNTH\n"
      << "RecordTypeStart=1\nRecordTypeLen=3\n\n"
      << "[Common]\nLabel=Identification\nName=IDS\n"
      << "[Item]\nLabel=Cluster\nName=CLUSTER\nStart=4\nLen=4\nDataType=Numeric\n"
      << "[Item]\nLabel=Household\nName=HH\nStart=8\nLen=3\nDataType=Numeric\n";
  for (int i = 0; i < items; ++i) {
    const int inRecord = i % kItemsPerRecord;
    if (inRecord == 0) {
      const int record = i / kItemsPerRecord + 1;
      out << "\n[Record]\nLabel=Section " << record << " of the questionnaire\nName=REC" << record
          << "\nRecordTypeValue=" << record << "\nRequired=" << (record == 1 ? "Yes" : "No")
          << "\nMaxRecords=1\nRecordLen=" << 10 + 2 * kItemsPerRecord << "\n";
    }
    out << "\n[Item]\nLabel=Question " << i + 1 << ": how often in the last month\nName=Q" << i + 1
        << "\nNote=Asked of every member aged 15 and over.\nStart=" << 11 + 2 * inRecord
        << "\nLen=2\nItemType=Item\nDataType=Numeric\n"
        << "[ValueSet]\nLabel=Frequency\nValue=0;Never\nValue=1:5;A few times\nValue=6:20, 21:30;Often\n"
        << "Value=98;Refused\nValue=99;Don't know\nValue=\" \";Not applicable\n";
  }
  return out.str();
}

void BM_LoadORVA41(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  const std::string input = (std::filesystem::temp_directory_path() /
                             ("orva41-bench-load-" + std::to_string(getpid()) + ".ddw")).string();
  const std::string text = SyntheticDictionary(items);
  std::ofstream(input, std::ios::binary) << text;
  CSilentReporter reporter;
  FormatContext context{reporter, '.', false};
  for (auto _ : state) benchmark::DoNotOptimize(Orva41Format().readDictionary({input, input}, context));
  state.counters["MB"] = benchmark::Counter(text.size() / 1e6, benchmark::Counter::kIsIterationInvariantRate);
  std::filesystem::remove(input);
}

void BM_ConvertORVA41(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("orva41-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string input = (folder / "synthetic.ddw").string();
  const std::string output = (folder / "synthetic.dcf").string();
  const std::string text = SyntheticDictionary(items);
  std::ofstream(input, std::ios::binary) << text;

  ResetPeakResident();
  CSilentReporter reporter;
  CConvertApp app(reporter);
  app.SetDecimalChar('.');
  for (auto _ : state) {
    app.RunConversion(KIND_ORVA41_TO_TRAVO, input, output);
    if (!app.LastConversionWroteOutput()) {
      state.SkipWithError("the conversion wrote nothing");
      break;
    }
  }
  const double bytes = static_cast<double>(text.size());
  // Shown as "MB=<n>/s" (megabytes of input per second) and "items_per_second".
  state.counters["MB"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsIterationInvariantRate);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * items);
  state.counters["input_MB"] = bytes / 1e6;
  state.counters["peak_MB"] = static_cast<double>(PeakResidentBytes()) / 1e6;
  std::filesystem::remove_all(folder);
}

// The conversion first: the peak memory figures of later runs include what the allocator
// kept from earlier ones.
BENCHMARK(BM_ConvertORVA41)->Arg(5'000)->Arg(50'000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadORVA41)->Arg(5'000)->Arg(50'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
