#include "app/cli/Compare.h"

#include <filesystem>

#include "app/Formats.h"
#include "libs/dict/DataDict.h"
#include "libs/util/TextTools.h"

std::unique_ptr<CDataDict> LoadAnyDictionary(const std::string& path, std::string& error) {
  const FileFormat format = DictionaryFormatOf(path, error);
  if (format == FileFormat::Unknown) return nullptr;
  std::unique_ptr<CDataDict> dict = ReadDictionaryAs(format, path, error);
  if (!dict && error.find(path) == std::string::npos) error = path + ": " + error;
  return dict;
}
