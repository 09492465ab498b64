#include "app/cli/Compare.h"

#include <filesystem>

#include "app/Formats.h"
#include "libs/dict/DataDict.h"
#include "libs/util/TextTools.h"

std::unique_ptr<CDataDict> LoadAnyDictionary(const std::string& path, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = path + ": cannot be read (no such file, or not a regular file)";
    return nullptr;
  }
  // Read as its extension says, such a file could pass for an empty dictionary.
  if (error = UnknownContentOf(path); !error.empty()) return nullptr;
  const FileFormat format = FormatToRead(path);
  if (format == FileFormat::TravoForms) {
    error = path + ": a Travo forms file, not a dictionary";
    return nullptr;
  }
  std::unique_ptr<CDataDict> dict = ReadDictionaryAs(format, path, error);
  if (!dict && error.find(path) == std::string::npos) error = path + ": " + error;
  return dict;
}
