#include "app/cli/Compare.h"

#include <filesystem>
#include <iostream>

#include <nlohmann/json.hpp>

#include "app/ConvertApp.h"
#include "app/DetectFormat.h"
#include "app/cli/Arguments.h"
#include "libs/dict/DataDict.h"
#include "libs/util/Host.h"
#include "libs/util/ProgressDlg.h"
#include "libs/util/TextTools.h"
#include "orva41/ORVA41Reader.h"
#include "veskconv/VeskVornConv.h"

namespace {

// Keeps the converters' messages (nothing reaches the user); answers No to questions.
class CollectingHost : public CSilentHost {
 public:
  std::string messages;
  int Report(const ::Message& message) override {
    if (!messages.empty()) messages += '\n';
    messages += message.text;
    return CSilentHost::Report(message);
  }
};

// ORVA 3.1 and VESK dictionaries: read by their converters into the dictionary they
// would save, nothing written. The converters' messages are the error when they fail.
std::unique_ptr<CDataDict> ReadByConverter(FileFormat format, const std::string& input, std::string& error) {
  CollectingHost host;
  ScopedHost installed(host);
  std::unique_ptr<CDataDict> dict;
  if (format == FileFormat::Orva31) {
    CConvertApp app;
    CProgressDlg progress;
    dict = std::make_unique<CDataDict>();
    if (!app.ReadORVA31Dict(input, *dict, progress)) dict.reset();
  } else {
    dict = CVeskVornConv().ReadDictionary(input);
  }
  if (!dict) error = host.messages.empty() ? "cannot read " + input : host.messages;
  return dict;
}

}  // namespace

std::unique_ptr<CDataDict> LoadAnyDictionary(const std::string& path, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = path + ": cannot be read (no such file, or not a regular file)";
    return nullptr;
  }
  // Read as its extension says, such a file could pass for an empty dictionary.
  if (error = UnknownContentOf(path); !error.empty()) return nullptr;
  ResolvedInput input(path);
  std::unique_ptr<CDataDict> dict;
  switch (input.format()) {
    case FileFormat::TravoDict:
      dict = std::make_unique<CDataDict>();
      if (!dict->Open(input.path())) {
        error = dict->GetLastError();
        dict.reset();
      }
      break;
    case FileFormat::Orva41: {
      CollectingHost host;
      ScopedHost installed(host);
      CConvertApp app;
      dict = LoadORVA41Dict(app, input.path(), &error);
      break;
    }
    case FileFormat::Orva31:
    case FileFormat::VeskDict:
    case FileFormat::VeskWork:
      dict = ReadByConverter(input.format(), input.path(), error);
      break;
    case FileFormat::TravoForms:
      error = path + ": a Travo forms file, not a dictionary";
      return nullptr;
    default:
      error = NotADictionaryMessage(path);
      return nullptr;
  }
  // The readers name the file they were given, which may be a link under a temporary
  // name; the message names the file the user gave.
  if (!dict) {
    for (size_t at; input.overruled() && (at = error.find(input.path())) != std::string::npos;) {
      error.replace(at, input.path().size(), path);
    }
    if (error.find(path) == std::string::npos) error = path + ": " + error;
  }
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
