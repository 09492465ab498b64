#pragma once
// Reading the arguments that commands share.
#include <string>
#include <vector>

// Splits args into the --json switch and the files named; false with the reason in
// usageError when an argument is another option ("-" alone is a file name).
inline bool SplitJsonAndFiles(const std::vector<std::string>& args, bool& json, std::vector<std::string>& files,
                              std::string& usageError) {
  for (const std::string& arg : args) {
    if (arg == "--json") {
      json = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      usageError = "unknown option '" + arg + "'";
      return false;
    } else {
      files.push_back(arg);
    }
  }
  return true;
}
