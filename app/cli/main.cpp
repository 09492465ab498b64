// travo-convert-cli: converts dictionaries, and shows, compares and prints them. The
// commands, their options and their run functions are in the table of Commands.cpp; main
// only finds the command, reads its arguments and runs it.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/Command.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/Help.h"

namespace {

// The usage error: what is wrong, then the short usage of the command (of every command
// when it is not known) on stderr.
int UsageError(const Command* command, const std::string& why) {
  std::cerr << "travo-convert-cli: " << why << "\n\n" << ShortUsage(command);
  return kExitUsage;
}

// Help and version go to stdout; one that cannot be written is a failure.
int Print(const std::string& text) {
  std::cout << text;
  return std::cout.flush() ? kExitWritten : kExitFailed;
}

// A standard stream that was closed is opened on /dev/null: otherwise the next file
// opened (the log) would take its number, and the summary meant for stdout would land in
// it. It is opened for reading only, so that writing to a closed stdout still fails as it
// would have (inspect's output that cannot be written ends with status 1).
void KeepStandardStreamsOpen() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    // open takes the lowest free number, which is fd.
    if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) open("/dev/null", O_RDONLY);
  }
}

bool IsHelpCommand(const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "help"; }

int Run(const Command& command, const std::vector<std::string>& args) {
  if (AsksForHelp(args)) return Print(CommandHelpText(command));
  CommandArguments parsed;
  if (std::string error = ParseArguments(command, args, parsed); !error.empty()) return UsageError(&command, error);
  std::string usageError;
  const int status = command.run(parsed, usageError);
  return usageError.empty() ? status : UsageError(&command, usageError);
}

}  // namespace

int main(int argc, char** argv) {
  KeepStandardStreamsOpen();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError(nullptr, "no command given");
  const std::string name = args.front();
  args.erase(args.begin());
  if (name == "--version") return Print(VersionLine() + '\n');
  if (IsHelpCommand(name)) {
    // "help COMMAND" is "COMMAND --help".
    if (args.empty()) return Print(FullHelp());
    const Command* asked = FindCommand(args.front());
    return asked ? Print(CommandHelpText(*asked)) : UsageError(nullptr, "unknown command '" + args.front() + "'");
  }
  const Command* command = FindCommand(name);
  if (!command) return UsageError(nullptr, "unknown command '" + name + "'");
  return Run(*command, args);
}
