#pragma once
// The command-line tool's texts about itself: the full help (--help), each command's help
// (COMMAND --help), the short usage shown with a usage error, and the version line. One
// table of commands and options serves all of them, so they cannot disagree.
#include <string>
#include <string_view>
#include <vector>

struct OptionHelp {
  const char* names;  // "--kind K", "-o OUTDIR"
  const char* text;
};

struct CommandHelp {
  const char* name;                     // "convert"
  std::vector<const char*> synopses;    // the command's forms, without the program name
  const char* summary;                  // one line for the list of commands
  const char* description;              // a paragraph, wrapped when shown
  std::vector<OptionHelp> options;
};

// Every command, in the order the help lists them.
const std::vector<CommandHelp>& Commands();
// The command called name, or null.
const CommandHelp* FindCommand(std::string_view name);

// The full help: every form of every command, what the tool does, the commands, each
// command's options and the exit statuses.
std::string FullHelp();
// One command's help: its forms, what it does and its options.
std::string CommandHelpText(const CommandHelp& command);
// The "usage:" lines of command (of every command when null), then where to read more.
std::string ShortUsage(const CommandHelp* command);
// "travo-convert-cli 4.0".
std::string VersionLine();

// True when args (a command's arguments) ask for its help: -h or --help before any "--".
bool AsksForHelp(const std::vector<std::string>& args);
