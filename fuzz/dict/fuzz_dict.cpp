// Fuzz target for the .dcf reader (bytes in memory, no files). Checks, besides the absence
// of crashes and undefined behaviour:
//  - accepted text is written back byte for byte, and reads back to an equal dictionary;
//  - refused text leaves the dictionary empty and names a line;
//  - the input (its first 512 bytes) as a text of every kind survives a write and a read;
//  - the name list and the rule checks run over whatever was read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "libs/dict/DataDict.h"
#include "tests/dict/SampleDict.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void ReadAsDcf(const std::string& input) {
  CDataDict dict;
  std::string error;
  if (!DcfFromText(input, dict, &error)) {
    Check(dict == CDataDict());
    Check(error.rfind("line ", 0) == 0);
    return;
  }
  const std::string written = DcfToText(dict);
  Check(written == input);
  CDataDict again;
  Check(DcfFromText(written, again, nullptr));
  Check(again == dict);

  dict.BuildNameList();
  CDDRuleMgr rules;
  rules.SetCurrDict(&dict);
  rules.IsValid(&dict, true, true, true);
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    const CDictLevel& level = *dict.GetLevel(l);
    for (int r = 0; r < level.GetNumRecords(); ++r) {
      const CDictRecord& rec = *level.GetRecord(r);
      for (int i = 0; i < rec.GetNumItems(); ++i) {
        const CVornString& name = rec.GetItem(i)->GetName();
        dict.LookupName(name);
        dict.IsNameUnique(name, l, r, i);
      }
      dict.UpdateNameList(l, r);
    }
  }
  dict.GetUniqueName(dict.GetName());
}

void RoundTripAsText(const std::string& input) {
  const CDataDict dict = sample::DictWithText(input);
  CDataDict read;
  Check(DcfFromText(DcfToText(dict), read, nullptr));
  Check(read == dict);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  ReadAsDcf(input);
  RoundTripAsText(input.substr(0, 512));  // texts are short; this keeps each run quick
  return 0;
}
