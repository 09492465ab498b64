#include "app/cli/Inspect.h"

#include <sys/stat.h>

#include "app/Formats.h"
#include "libs/dict/DictInspect.h"
#include "libs/dict/DataDict.h"
#include "libs/util/FileNames.h"

bool InspectFile(const std::string& path, bool json, std::ostream& out, std::string& error, IReporter& host) {
  // A named pipe or a device would keep a reader waiting or reading forever. Missing
  // files and folders are left to each format's reader, which names them itself.
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    error = "Cannot inspect " + path + ": it is not a regular file.";
    return false;
  }
  if (std::string nothing = DetectedNothingOf(path); !nothing.empty()) {
    error = nothing;
    return false;
  }
  // The content decides the format when it shows one; else the extension does.
  const FileFormat format = FormatToRead(path);
  const FormatModule* module = ModuleOf(format);
  if (!module) {
    error = "Cannot inspect " + path + ": files with the extension \"." + GetLowerFileExtension(path) +
            "\" are not supported.";
    return false;
  }
  if (module->describe) return module->describe({path, path}, json, out, error);
  // A dictionary without a view of its own is shown as its module reads it.
  std::unique_ptr<CDataDict> dict = ReadDictionaryAs(format, path, error, &host);
  if (!dict) return false;
  DescribeDictionary(*dict, json, out);
  return true;
}
