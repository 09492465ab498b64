#pragma once
// Runs the command-line tool (TRAVO_CLI_PATH, set by CMake) as a test does: in a scratch
// folder, standard input from /dev/null, its output and status captured.
#include <string>
#include <vector>

#include "RecordingHost.h"
#include "RunProcess.h"

inline ProcessResult Cli(const TempDir& dir, const std::vector<std::string>& args) {
  return RunProcess(TRAVO_CLI_PATH, args, dir.path().string());
}

// The arguments joined by spaces: a case's name in a test's trace.
inline std::string Joined(const std::vector<std::string>& args) {
  std::string joined;
  for (const std::string& arg : args) joined += arg + " ";
  return joined;
}
