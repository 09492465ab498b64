#pragma once
// Runs a program with arguments, standard input from /dev/null, and captures its
// standard output, standard error and exit status (128 + signal when killed).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// interruptAfterMs > 0 sends SIGINT (Ctrl-C) to the program that many milliseconds after
// it started.
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::string& scratchFolder, int interruptAfterMs = 0) {
  const std::string outPath = scratchFolder + "/.stdout";
  const std::string errPath = scratchFolder + "/.stderr";
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
  if (interruptAfterMs > 0) {
    usleep(static_cast<useconds_t>(interruptAfterMs) * 1000);
    kill(pid, SIGINT);
  }
  ProcessResult result;
  int raw = 0;
  waitpid(pid, &raw, 0);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  result.out = ReadTextFile(outPath);
  result.err = ReadTextFile(errPath);
  return result;
}
