// Opens fuzzed bytes as an ORVA 3.1 dictionary and walks every record, item, value name
// and value pair through the access layer, then through the layout inspector.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "orva31/DdAccess.h"
#include "orva31/DdInspect.h"

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

const std::string& Base() {
  static const Scratch scratch;
  static const std::string base = (scratch.folder.empty() ? std::string("/tmp") : scratch.folder) + "/input";
  return base;
}

bool WriteInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen((Base() + ".dd").c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Records may claim overlapping item ranges, so a walk is bounded by a budget of calls.
void Walk(int numRecords) {
  long budget = 200000;
  for (int r = -1; r <= numRecords && budget > 0; ++r) {  // one past the end on purpose
    DdRecordInfo record;
    if (DdGetRecord(r, &record) < 0) continue;
    for (int i = 0; i <= record.numItems && --budget > 0; ++i) {
      DdItemInfo item;
      if (DdGetItem(r, i, &item) < 0) continue;
      for (int v = 0; v <= item.numValueNames && --budget > 0; ++v) {
        DdValueNameInfo name;
        if (DdGetValueName(r, i, v, &name) < 0) continue;
        for (int k = 0; k <= name.numPairs && --budget > 0; ++k) {
          DdValuePair pair;
          DdGetValue(r, i, v, k, &pair);
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteInput(data, size)) return 0;
  DdFileInfo info;
  if (DdOpen(Base(), &info) == DD_OK) Walk(info.numRecords);
  DdClose();
  std::ostringstream out;
  std::string error;
  InspectOrva31(Base() + ".dd", true, out, error);
  return 0;
}
