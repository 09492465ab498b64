#include "app/cli/Inspect.h"

#include <sys/stat.h>


#include "app/ConvertApp.h"
#include "app/DetectFormat.h"
#include "app/cli/DictInspect.h"
#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"
#include "libs/forms/FormInspect.h"
#include "libs/util/FileNames.h"
#include "libs/util/JsonStream.h"
#include "orva31/DdInspect.h"
#include "orva41/Orva41Format.h"
#include "vesk/VeskInspect.h"

namespace {

// A file is read from one path and named by another when the content overrules the
// extension (it is read through a link with the right extension).
struct InspectedFile {
  std::string read;   // the path to read
  std::string shown;  // the name the description gives
};

bool ShowDictionary(const CDataDict& dict, bool json, std::ostream& out) {
  if (json) {
    CJsonStreamWriter writer(out);
    WriteDictJson(dict, writer);
  } else {
    WriteDictText(dict, out);
  }
  return true;
}

bool InspectTravoDictionary(const InspectedFile& file, bool json, std::ostream& out, std::string& error) {
  CDataDict dict;
  if (!dict.Open(file.read, true)) {
    error = dict.GetLastError();
    return false;
  }
  return ShowDictionary(dict, json, out);
}

// An ORVA 4.1 dictionary is shown as its conversion would build it.
bool InspectOrva41Dictionary(const InspectedFile& file, bool json, std::ostream& out, std::string& error) {
  CConvertApp app;
  FormatContext context = app.Context();
  context.showProgress = false;
  std::unique_ptr<CDataDict> dict = Orva41Format().readDictionary({file.read, file.shown}, context);
  if (!dict) {
    error = app.m_sMessage;
    return false;
  }
  return ShowDictionary(*dict, json, out);
}

bool InspectFormFile(const InspectedFile& file, bool json, std::ostream& out, std::string& error) {
  CDEFormFile forms;
  if (!forms.Open(file.read)) {
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

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

bool InspectAs(FileFormat format, const InspectedFile& file, bool json, std::ostream& out, std::string& error) {
  switch (format) {
    case FileFormat::TravoDict: return InspectTravoDictionary(file, json, out, error);
    case FileFormat::TravoForms: return InspectFormFile(file, json, out, error);
    case FileFormat::Orva41: return InspectOrva41Dictionary(file, json, out, error);
    case FileFormat::Orva31: return InspectOrva31(file.read, file.shown, json, out, error);
    case FileFormat::VeskDict:
    case FileFormat::VeskWork: return InspectVesk(file.read, file.shown, json, out, error);
    default: break;
  }
  const std::string ext = GetLowerFileExtension(file.read);
  error = "Cannot inspect " + file.read + ": files with the extension \"." + ext + "\" are not supported.";
  return false;
}

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
  // What is shown names the file given, not the link.
  const bool ok = InspectAs(input.format(), {input.overruled() ? input.path() : path, path}, json, out, error);
  if (input.overruled()) error = ReplaceAll(error, input.path(), path);
  return ok;
}
