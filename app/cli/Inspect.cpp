#include "app/cli/Inspect.h"

#include <sys/stat.h>

#include <cctype>
#include <sstream>

#include "app/ConvertApp.h"
#include "app/DetectFormat.h"
#include "app/cli/DictInspect.h"
#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"
#include "libs/forms/FormInspect.h"
#include "libs/util/FileNames.h"
#include "orva31/DdInspect.h"
#include "orva41/ORVA41Reader.h"
#include "vesk/VeskInspect.h"

namespace {

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

// An ORVA 4.1 dictionary is shown as its conversion would build it.
bool InspectOrva41Dictionary(const std::string& path, bool json, std::ostream& out, std::string& error) {
  CConvertApp app;
  std::unique_ptr<CDataDict> dict = LoadORVA41Dict(app, path, &error);
  if (!dict) return false;
  return ShowDictionary(*dict, json, out);
}

bool InspectFormFile(const std::string& path, bool json, std::ostream& out, std::string& error) {
  CDEFormFile forms;
  if (!forms.Open(path)) {
    error = forms.GetLastError();
    return false;
  }
  if (json) {
    WriteJson(FormFileToJson(forms), out);
  } else {
    out << DescribeFormFile(forms);
  }
  return true;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

bool InspectAs(FileFormat format, const std::string& path, bool json, std::ostream& out, std::string& error);

}  // namespace

bool InspectFile(const std::string& path, bool json, std::ostream& out, std::string& error) {
  // A named pipe or a device would keep a reader waiting or reading forever. Missing
  // files and folders are left to each format's reader, which names them itself.
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    error = "Cannot inspect " + path + ": it is not a regular file.";
    return false;
  }
  // The content decides the format when it shows one (a file under a misleading name is
  // read through a link with the right extension); else the extension does.
  if (std::string nothing = DetectedNothingOf(path); !nothing.empty()) {
    error = nothing;
    return false;
  }
  const ResolvedInput input(path);
  if (!input.overruled()) return InspectAs(input.format(), path, json, out, error);
  // What is shown names the file given, not the link.
  std::ostringstream shown;
  const bool ok = InspectAs(input.format(), input.path(), json, shown, error);
  const std::string quoted = nlohmann::json(path).dump();  // the name as JSON writes it
  out << ReplaceAll(shown.str(), input.path(), json ? quoted.substr(1, quoted.size() - 2) : path);
  error = ReplaceAll(error, input.path(), path);
  return ok;
}

namespace {

bool InspectAs(FileFormat format, const std::string& path, bool json, std::ostream& out, std::string& error) {
  switch (format) {
    case FileFormat::TravoDict: return InspectTravoDictionary(path, json, out, error);
    case FileFormat::TravoForms: return InspectFormFile(path, json, out, error);
    case FileFormat::Orva41: return InspectOrva41Dictionary(path, json, out, error);
    case FileFormat::Orva31: return InspectOrva31(path, json, out, error);
    case FileFormat::VeskDict:
    case FileFormat::VeskWork: return InspectVesk(path, json, out, error);
    default: break;
  }
  const std::string ext = GetLowerFileExtension(path);
  error = "Cannot inspect " + path + ": files with the extension \"." + ext + "\" are not supported.";
  return false;
}

}  // namespace
