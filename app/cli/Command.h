#pragma once
// The command-line tool's commands: one table (Commands.cpp) whose entries hold what the
// help shows of a command, how its arguments are read and the function that runs it.
// The help, the argument parser and main's dispatch all read that table.
#include <map>
#include <string>
#include <string_view>
#include <vector>

// An option a command takes: a flag, or an option with a value (the word after it).
struct OptionSpec {
  const char* name = nullptr;       // "--kind", "-o"
  const char* value = nullptr;      // its value's name in the help ("K", "OUTDIR"); null for a flag
  const char* help = nullptr;       // the help's text for it
  const char* missing = "a value";  // "-d needs a folder": what a missing value is called
  bool once = false;                // a second one is a usage error ("-o is given twice")
  bool nonEmpty = false;            // an empty value counts as missing
  // Checks the value as it is read: empty, or the usage error.
  std::string (*check)(const std::string& value) = nullptr;
};

// The files (the arguments that are no options) a command takes.
struct FileSpec {
  int count = -1;                        // exactly this many; -1: the command checks them itself
  const char* requiredOption = nullptr;  // an option that must be given with a value as well
  const char* problem = nullptr;         // the usage error when they are not there
};

// A command's arguments as read: the options given (a flag's value is empty; an option
// given more than once keeps its last value) and the files, in their order.
struct CommandArguments {
  std::map<std::string, std::string, std::less<>> options;
  std::vector<std::string> files;

  bool Has(std::string_view option) const { return options.find(option) != options.end(); }
  // The option's value, empty when it was not given.
  std::string Value(std::string_view option) const {
    const auto found = options.find(option);
    return found == options.end() ? std::string() : found->second;
  }
};

// Runs a command on its arguments: the exit status, or kExitUsage with the reason in
// usageError (shown with the command's usage).
using CommandRunner = int (*)(const CommandArguments& args, std::string& usageError);

struct Command {
  const char* name = nullptr;         // "convert"
  std::vector<const char*> synopses;  // the command's forms, without the program name
  const char* summary = nullptr;      // one line for the list of commands
  const char* description = nullptr;  // a paragraph, wrapped when shown
  std::vector<OptionSpec> options;
  FileSpec files;
  bool doubleDashEndsOptions = false;  // "--" makes every later argument a file
  CommandRunner run = nullptr;
};

// Every command, in the order the help lists them.
const std::vector<Command>& Commands();
// The command called name, or null.
const Command* FindCommand(std::string_view name);

// Reads args (those after the command's name) as command declares them; empty, or the
// usage error ("unknown option '-x'", "-d needs a folder", "-o is given twice", ...).
std::string ParseArguments(const Command& command, const std::vector<std::string>& args, CommandArguments& out);

// Records why the arguments are refused and returns kExitUsage.
int UsageProblem(std::string& usageError, std::string why);
