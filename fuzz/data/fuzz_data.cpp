// Fuzz target for the data command's reading and writing: a data file read through a
// dictionary and written as tables by every writer (CSV, SPSS, Stata), as the command does
// it (the format the file shows, its layout, WriteDataTables).
// The first byte of the input chooses:
//  - bit 0: what the rest of the input is: 0, a data file read through a fixed dictionary;
//    1, the bytes of a dictionary, which reads the fixed data file household.dat;
//  - bits 1 to 7, modulo 5: the dictionary's format (its file's extension), and in the
//    first mode which fixed dictionary: the examples, the .dcf converted from the .ddw, and
//    a VESK work dictionary made by the VESK test builder.
// Besides the absence of crashes, leaks and undefined behaviour it checks that a run leaves
// no file behind that it did not report as written (a half-written table), and that every
// table it reports is there.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <set>
#include <string>

#include "app/Formats.h"
#include "libs/data/DataRun.h"
#include "libs/util/Reporter.h"
#include "tests/vesk/VeskBuilder.h"

namespace {

namespace fs = std::filesystem;

// Each run's data or dictionary is cut to this many bytes, so that a run stays quick.
constexpr size_t kMaxInputBytes = 64 * 1024;

struct DictionaryChoice {
  const char* extension;
  const char* fixedPath;  // the fixed dictionary of this format; null: made at start (.wst)
};

const DictionaryChoice kChoices[] = {
    {".dcf", TRAVO_FUZZ_DATA_DIR "/household.dcf"},
    {".dd", TRAVO_SOURCE_DIR "/examples/household-orva31.dd"},
    {".ddw", TRAVO_SOURCE_DIR "/examples/household.ddw"},
    {".dic", TRAVO_SOURCE_DIR "/examples/household-vesk.dic"},
    {".wst", nullptr},
};
constexpr int kChoiceCount = sizeof kChoices / sizeof kChoices[0];

const char* const kFixedData = TRAVO_FUZZ_DATA_DIR "/household.dat";

// A work dictionary (no header: one level identified in column 1, the record type in
// columns 2 and 3, the sections' codes made at loading) with numeric, decimal and alpha
// variables, missing codes, value labels and a repeated group.
std::string WorkDictionaryBytes() {
  using namespace vesktest;
  VeskBuilder b;
  b.Section({.name = "HOUSE"});
  b.Variable({.name = "ROOMS", .start = 4, .len = 2, .missing = 99, .ranges = {{1, 30}, {99, 99}},
              .labels = {"Rooms", "99", "Not stated"}});
  b.Variable({.name = "RENT", .start = 6, .len = 6, .decimals = 2, .missing = 999999});
  b.Variable({.name = "OWNER", .type = 'A', .start = 12, .len = 10});
  b.Section({.name = "MEMBER", .maxOcc = 5, .groupOcc = 3});
  b.Variable({.name = "LINE", .start = 4, .len = 2});
  b.Variable({.name = "AGE", .kind = 'M', .start = 6, .len = 3, .missing = 999});
  b.Variable({.name = "SEX", .kind = 'M', .start = 9, .len = 1, .missing = 9,
              .labels = {"Sex", "1", "Male", "2", "Female"}});
  return b.Bytes();
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// A private folder for one run, removed with everything in it when the run ends. In
// /dev/shm where there is one: the tables are synced to disk when committed, which on a
// disk costs more than the rest of a run.
class RunFolder {
 public:
  RunFolder() {
    std::string pattern = (fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") + std::string("/data-fuzz-XXXXXX");
    if (!mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
  }
  ~RunFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

// What a run left in its folder is exactly the tables it reports.
void CheckFolder(const std::string& folder, const DataRunSummary& summary) {
  std::set<std::string> reported;
  for (const DataRunSummary::TableRows& table : summary.tables) {
    if (!fs::is_regular_file(table.file)) Fail("a table reported as written is missing", table.file);
    reported.insert(fs::path(table.file).filename().string());
  }
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (!reported.count(entry.path().filename().string())) Fail("a file no table reports is left", entry.path().string());
  }
}

// The data file read through the dictionary at dictionary, as the data command does it,
// into a table folder per writer.
void WriteEveryFormat(const std::string& dictionary, const std::string& data, const std::string& folder) {
  std::string error;
  const FileFormat format = DictionaryFormatOf(dictionary, error);
  if (format == FileFormat::Unknown) return;
  for (DataFormat to : {DataFormat::Csv, DataFormat::Sav, DataFormat::Dta}) {
    // A layout per writer: the VESK layout reads lines into buffers of its own.
    std::unique_ptr<DataLayout> layout = ReadDataLayoutAs(format, dictionary, error);
    if (!layout) return;
    DataRunOptions options;
    options.format = to;
    options.dataPath = data;
    options.folder = folder + "/" + DataFormatExtension(to);
    CSilentReporter silent;
    std::ostream nowhere(nullptr);
    DataRunSummary summary;
    WriteDataTables(*layout, options, silent, nowhere, summary);
    CheckFolder(options.folder, summary);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::string workDictionary = WorkDictionaryBytes();
  const bool randomDictionary = data[0] & 1;
  const DictionaryChoice& choice = kChoices[(data[0] >> 1) % kChoiceCount];
  const uint8_t* rest = data + 1;
  const size_t restSize = std::min(size - 1, kMaxInputBytes);

  const RunFolder run;
  const std::string dictionary = run.Path() + "/dict" + choice.extension;
  std::string dataPath = kFixedData;
  if (randomDictionary) {
    if (!WriteBytes(dictionary, rest, restSize)) std::abort();
  } else {
    dataPath = run.Path() + "/data.dat";
    if (!WriteBytes(dataPath, rest, restSize)) std::abort();
    if (choice.fixedPath) {
      fs::copy_file(choice.fixedPath, dictionary);
    } else if (!WriteBytes(dictionary, workDictionary.data(), workDictionary.size())) {
      std::abort();
    }
  }
  WriteEveryFormat(dictionary, dataPath, run.Path() + "/tables");
  return 0;
}
