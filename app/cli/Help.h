#pragma once
// The command-line tool's texts about itself: the full help (--help), each command's help
// (COMMAND --help), the short usage shown with a usage error, and the version line. One
// table of commands and options (Commands.cpp) serves all of them, so they cannot disagree.
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/Command.h"

// The full help: every form of every command, what the tool does, the commands, each
// command's options and the exit statuses.
std::string FullHelp();
// One command's help: its forms, what it does and its options.
std::string CommandHelpText(const Command& command);
// The "usage:" lines of command (of every command when null), then where to read more.
std::string ShortUsage(const Command* command);
// "travo-convert-cli 4.0".
std::string VersionLine();

// True when args (a command's arguments) ask for its help: -h or --help before any "--".
bool AsksForHelp(const std::vector<std::string>& args);
