#pragma once
// Reading the tool's full help text back in tests.
#include <sstream>
#include <string>
#include <vector>

// The command names of the full help's "Commands:" list.
inline std::vector<std::string> ListedCommands(const std::string& help) {
  std::vector<std::string> commands;
  const size_t start = help.find("\nCommands:\n");
  if (start == std::string::npos) return commands;
  std::istringstream lines(help.substr(start + 11));
  for (std::string line; std::getline(lines, line) && !line.empty();) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    commands.push_back(name);
  }
  return commands;
}
