#pragma once
// Runs a program with arguments, standard input from /dev/null, and captures its
// standard output, standard error and exit status (128 + signal when killed).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Files.h"

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
};

namespace runprocess_detail {

inline pid_t StartProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::string& outPath, const std::string& errPath) {
  pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

// How far the process has read into the file at path: the largest offset of its
// descriptors open on it, or -1 while it has none.
inline long long ReadOffsetIn(pid_t pid, const std::string& path) {
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  std::error_code ec;
  long long offset = -1;
  for (const auto& entry : std::filesystem::directory_iterator(fds, ec)) {
    std::error_code linkError;
    if (std::filesystem::read_symlink(entry.path(), linkError) != path) continue;
    std::ifstream info("/proc/" + std::to_string(pid) + "/fdinfo/" + entry.path().filename().string());
    std::string key;
    long long pos = -1;
    if (info >> key >> pos && key == "pos:") offset = std::max(offset, pos);
  }
  return offset;
}

inline ProcessResult Collect(pid_t pid, const std::string& outPath, const std::string& errPath) {
  ProcessResult result;
  int raw = 0;
  waitpid(pid, &raw, 0);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  result.out = ReadTextFile(outPath);
  result.err = ReadTextFile(errPath);
  return result;
}

}  // namespace runprocess_detail

inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::string& scratchFolder) {
  const std::string outPath = scratchFolder + "/.stdout", errPath = scratchFolder + "/.stderr";
  const pid_t pid = runprocess_detail::StartProcess(program, args, outPath, errPath);
  return runprocess_detail::Collect(pid, outPath, errPath);
}

// Runs the program and calls watch(pid) about every half millisecond while it runs, until
// watch returns false or the program ends.
inline ProcessResult RunProcessWatched(const std::string& program, const std::vector<std::string>& args,
                                       const std::string& scratchFolder, const std::function<bool(pid_t)>& watch) {
  const std::string outPath = scratchFolder + "/.stdout", errPath = scratchFolder + "/.stderr";
  const pid_t pid = runprocess_detail::StartProcess(program, args, outPath, errPath);
  for (;;) {
    siginfo_t ended{};
    if (waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == pid) break;
    if (!watch(pid)) break;
    usleep(500);
  }
  return runprocess_detail::Collect(pid, outPath, errPath);
}

// Runs the program and sends it SIGINT (Ctrl-C) once it is under way reading the file at
// input (an absolute path without links): when it has read past readOffset bytes of it,
// beyond what telling a file's kind by its first bytes takes. Waiting for that, rather
// than for a time, keeps the moment the same under any load or instrumentation.
inline ProcessResult RunProcessInterruptedWhileReading(const std::string& program, const std::vector<std::string>& args,
                                                       const std::string& scratchFolder, const std::string& input,
                                                       long long readOffset = 65536) {
  return RunProcessWatched(program, args, scratchFolder, [&](pid_t pid) {
    if (runprocess_detail::ReadOffsetIn(pid, input) <= readOffset) return true;
    kill(pid, SIGINT);
    return false;
  });
}

// Runs the program with named pipes among its inputs and tells whether it ever waited on
// one: the kernel shows a process waiting to open a pipe that nobody writes as
// "wait_for_partner". Such a wait is ended by opening the pipes for writing, so that a
// fault fails the test rather than hanging it.
inline ProcessResult RunProcessNotingPipeWaits(const std::string& program, const std::vector<std::string>& args,
                                               const std::string& scratchFolder, const std::vector<std::string>& pipes,
                                               bool& waited) {
  waited = false;
  return RunProcessWatched(program, args, scratchFolder, [&](pid_t pid) {
    std::ifstream wchan("/proc/" + std::to_string(pid) + "/wchan");
    std::string where;
    if (!(wchan >> where) || where != "wait_for_partner") return true;
    waited = true;
    for (const std::string& pipe : pipes) close(open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
    return true;
  });
}
