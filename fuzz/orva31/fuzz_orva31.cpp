// Opens fuzzed bytes as an ORVA 3.1 dictionary and walks every record, item, value name
// and value pair through the access layer, then reads them as the conversion does and
// through the layout inspector.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "orva31/DdAccess.h"
#include "libs/dict/DataDict.h"
#include "orva31/DdInspect.h"
#include "orva31/Orva31Format.h"

namespace {

// The file the bytes go to, in a folder of this process's own, removed at exit.
struct Scratch {
  std::string folder;
  Scratch() {
    char pattern[] = "/tmp/orva31-fuzz-XXXXXX";
    const char* dir = mkdtemp(pattern);
    folder = dir ? dir : "";
  }
  ~Scratch() {
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
  }
};

const std::string& Path() {
  static const Scratch scratch;
  static const std::string path = (scratch.folder.empty() ? std::string("/tmp") : scratch.folder) + "/input.dd";
  return path;
}

bool WriteInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(Path().c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Records may claim overlapping item ranges, so a walk is bounded by a budget of calls.
void Walk(DdReader& reader, int numRecords) {
  long budget = 200000;
  for (int r = -1; r <= numRecords && budget > 0; ++r) {  // one past the end on purpose
    DdRecordInfo record;
    if (reader.GetRecord(r, &record) < 0) continue;
    for (int i = 0; i <= record.numItems && --budget > 0; ++i) {
      DdItemInfo item;
      if (reader.GetItem(r, i, &item) < 0) continue;
      for (int v = 0; v <= item.numValueNames && --budget > 0; ++v) {
        DdValueNameInfo name;
        if (reader.GetValueName(r, i, v, &name) < 0) continue;
        for (int k = 0; k <= name.numPairs && --budget > 0; ++k) {
          DdValuePair pair;
          reader.GetValue(r, i, v, k, &pair);
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteInput(data, size)) return 0;
  {
    DdReader reader;
    DdFileInfo info;
    if (reader.OpenFile(Path(), &info) == DD_OK) Walk(reader, info.numRecords);
  }
  CSilentReporter reporter;
  FormatContext context{reporter, '.', false};
  (void)Orva31Format().readDictionary({Path(), Path()}, context);
  std::ostringstream out;
  std::string error;
  InspectOrva31(Path(), true, out, error);
  return 0;
}
