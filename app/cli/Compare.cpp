#include "app/cli/Compare.h"

#include <filesystem>
#include <iostream>

#include <nlohmann/json.hpp>

#include "app/Formats.h"
#include "app/cli/Arguments.h"
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

int RunCompare(const std::vector<std::string>& args, std::string& usageError) {
  bool json = false;
  std::vector<std::string> files;
  if (!SplitJsonAndFiles(args, json, files, usageError)) return 2;
  if (files.size() != 2) {
    usageError = "compare needs two files, A and B";
    return 2;
  }
  std::unique_ptr<CDataDict> dicts[2];
  for (int i = 0; i < 2; ++i) {
    std::string error;
    dicts[i] = LoadAnyDictionary(files[i], error);
    if (!dicts[i]) {
      std::cerr << VisibleLines(error) << '\n';
      return 1;
    }
  }
  const std::vector<DictDifference> differences = CompareDictionaries(*dicts[0], *dicts[1]);
  if (json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const DictDifference& d : differences) list.push_back({{"path", d.path}, {"what", d.what}, {"a", d.a}, {"b", d.b}});
    std::cout << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  } else {
    for (const DictDifference& d : differences) std::cout << FormatDifference(d) << '\n';
  }
  std::cout.flush();
  return differences.empty() ? 0 : 1;
}
