#include "app/cli/VeskData.h"

#include <iostream>

#include "libs/util/FileNames.h"
#include "vesk/VeskData.h"

int RunVeskData(const std::vector<std::string>& args, const std::function<int(const std::string&)>& usageError) {
  std::string folder;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-d") {
      if (i + 1 >= args.size()) return usageError("-d needs a folder");
      folder = args[++i];
    } else if (args[i] == "--") {
      files.insert(files.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return usageError("unknown option '" + args[i] + "'");
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2 || folder.empty()) return usageError("vesk-data needs a DIC, a DATA file and -d DIR");
  const bool written = WriteVeskDataCsv(VornGetFullFileName(files[0]), VornGetFullFileName(files[1]),
                                        VornGetFullFileName(folder), std::cerr);
  return written ? 0 : 1;
}
