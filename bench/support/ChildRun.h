#pragma once
// A program run as the user runs it, in a child process, for benchmarks of the tools: its
// wall time and its peak resident memory (ru_maxrss from wait4).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

struct ChildRun {
  double seconds = -1;  // < 0: the program could not be started or did not exit with 0
  double peakMB = -1;
};

// Runs args (args[0] is looked up on PATH when it has no slash) with its standard output
// thrown away, and waits for it.
inline ChildRun RunChild(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ChildRun run;
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakMB = usage.ru_maxrss / 1024.0;  // the figure is in kB
  return run;
}
