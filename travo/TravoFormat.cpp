#include "travo/TravoFormat.h"

#include <strings.h>

#include <algorithm>
#include <ostream>

#include "libs/dict/DataDict.h"
#include "libs/dict/DictInspect.h"
#include "libs/forms/FormFile.h"
#include "libs/forms/FormInspect.h"
#include "libs/util/JsonStream.h"
#include "libs/util/TextTools.h"

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

bool SameNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

// "[Dictionary]", then a version line naming Travo. An ORVA 4.1 dictionary starts alike; its
// version names ORVA.
bool DetectTravoDict(std::string_view firstBytes) {
  const std::vector<std::string> lines = SignificantLines(firstBytes, 2);
  if (lines.size() < 2 || !SameNoCase(lines[0], "[Dictionary]")) return false;
  if (!StartsWithNoCase(lines[1], "Version=")) return false;
  std::string_view version = std::string_view(lines[1]).substr(8);
  version.remove_prefix(std::min(version.find_first_not_of(" \t\r"), version.size()));
  return StartsWithNoCase(version, "Travo");
}

// The version line "Travo 4.0", then the [FormFile] section.
bool DetectTravoForms(std::string_view firstBytes) {
  const std::vector<std::string> lines = SignificantLines(firstBytes, 2);
  return lines.size() == 2 && lines[0] == "Travo 4.0" && SameNoCase(lines[1], "[FormFile]");
}

std::unique_ptr<CDataDict> ReadTravoDictionary(const InputFile& input, FormatContext& context) {
  auto dict = std::make_unique<CDataDict>();
  if (dict->Open(input.path)) return dict;
  context.reporter.ShowMessage(dict->GetLastError(), MB_ICONEXCLAMATION);
  return nullptr;
}

bool DescribeTravoDictionary(const InputFile& input, bool json, std::ostream& out, std::string& error) {
  CDataDict dict;
  if (!dict.Open(input.path)) {
    error = dict.GetLastError();
    return false;
  }
  DescribeDictionary(dict, json, out);
  return true;
}

bool DescribeTravoForms(const InputFile& input, bool json, std::ostream& out, std::string& error) {
  CDEFormFile forms;
  if (!forms.Open(input.path)) {
    error = forms.GetLastError();
    return false;
  }
  if (json) {
    CJsonStreamWriter writer(out);
    WriteFormFileJson(forms, writer);
  } else {
    out << DescribeFormFile(forms);
  }
  return true;
}

constexpr FormatModule kTravoDict{FileFormat::TravoDict, "travo", "dcf", "a Travo dictionary", DetectTravoDict,
                                  ReadTravoDictionary, nullptr, nullptr, DescribeTravoDictionary};
constexpr FormatModule kTravoForms{FileFormat::TravoForms, "travo-forms", "fmf", "a Travo forms file",
                                   DetectTravoForms, nullptr, nullptr, nullptr, DescribeTravoForms};

}  // namespace

const FormatModule& TravoDictFormat() { return kTravoDict; }
const FormatModule& TravoFormsFormat() { return kTravoForms; }
