#include "app/cli/Inspect.h"

#include <cctype>

#include "app/cli/DictInspect.h"
#include "libs/dict/DataDict.h"
#include "libs/util/FileNames.h"

namespace {

std::string LowerExtension(const std::string& path) {
  std::string ext = GetFileExtension(path);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

void WriteJson(const nlohmann::ordered_json& json, std::ostream& out) {
  // Texts are shown as held; bytes that are not UTF-8 are replaced rather than refused.
  out << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

bool ShowDictionary(const CDataDict& dict, bool json, std::ostream& out) {
  if (json) {
    WriteJson(DictToJson(dict), out);
  } else {
    WriteDictText(dict, out);
  }
  return true;
}

bool InspectTravoDictionary(const std::string& path, bool json, std::ostream& out, std::string& error) {
  CDataDict dict;
  if (!dict.Open(path, true)) {
    error = dict.GetLastError();
    return false;
  }
  return ShowDictionary(dict, json, out);
}

}  // namespace

bool InspectFile(const std::string& path, bool json, std::ostream& out, std::string& error) {
  const std::string ext = LowerExtension(path);
  if (ext == "dcf") return InspectTravoDictionary(path, json, out, error);
  error = "Cannot inspect " + path + ": files with the extension \"." + ext + "\" are not supported.";
  return false;
}
