// Any bytes as an ORVA 4.1 text dictionary: read into the model, validated and turned into
// .dcf text in memory, as a conversion would, without writing an output file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "libs/dict/DataDict.h"
#include "orva41/Orva41Format.h"

namespace {

// The reader takes a file name, so each input goes through one scratch file per process.
struct ScratchFile {
  std::string path = "/tmp/orva41-fuzz-" + std::to_string(getpid()) + ".ddw";
  ~ScratchFile() { unlink(path.c_str()); }
};

const std::string& InputPath() {
  static const ScratchFile file;
  return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CSilentReporter reporter;
  FormatContext context{reporter, size % 2 ? ',' : '.', false};
  auto dict = Orva41Format().readDictionary({InputPath(), InputPath()}, context);
  if (dict) {
    CDDRuleMgr rules;
    rules.SetCurrDict(dict.get());
    rules.IsValid(dict.get(), false, true, false);
    (void)DcfToText(*dict);
  }
  return 0;
}
