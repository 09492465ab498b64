// `compare`: where two dictionaries differ, one line each (or a JSON array) on stdout.
#include <iostream>

#include <nlohmann/json.hpp>

#include "app/cli/CommandRunners.h"
#include "app/cli/Compare.h"
#include "app/cli/ExitStatus.h"
#include "libs/dict/DataDict.h"
#include "libs/util/TextTools.h"

int RunCompare(const CommandArguments& args, std::string&) {
  std::unique_ptr<CDataDict> dicts[2];
  for (int i = 0; i < 2; ++i) {
    std::string error;
    dicts[i] = LoadAnyDictionary(args.files[i], error);
    if (!dicts[i]) {
      std::cerr << VisibleLines(error) << '\n';
      return kExitFailed;
    }
  }
  const std::vector<DictDifference> differences = CompareDictionaries(*dicts[0], *dicts[1]);
  if (args.Has("--json")) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const DictDifference& d : differences) list.push_back({{"path", d.path}, {"what", d.what}, {"a", d.a}, {"b", d.b}});
    std::cout << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  } else {
    for (const DictDifference& d : differences) std::cout << FormatDifference(d) << '\n';
  }
  std::cout.flush();
  return differences.empty() ? kExitWritten : kExitFailed;
}
