#include "app/cli/Command.h"

#include <algorithm>

#include "app/cli/ExitStatus.h"

namespace {

const OptionSpec* FindOption(const Command& command, std::string_view name) {
  for (const OptionSpec& option : command.options) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }  // "-" alone is a file

// The files' usage error, empty when they are what the command takes.
std::string CheckFiles(const FileSpec& files, const CommandArguments& out) {
  if (files.count < 0) return {};
  const bool optionMissing = files.requiredOption && out.Value(files.requiredOption).empty();
  if (out.files.size() != static_cast<size_t>(files.count) || optionMissing) return files.problem;
  return {};
}

}  // namespace

const Command* FindCommand(std::string_view name) {
  const auto& commands = Commands();
  auto found = std::find_if(commands.begin(), commands.end(), [&](const Command& c) { return c.name == name; });
  return found == commands.end() ? nullptr : &*found;
}

std::string ParseArguments(const Command& command, const std::vector<std::string>& args, CommandArguments& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--" && command.doubleDashEndsOptions) {
      out.files.insert(out.files.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    }
    const OptionSpec* option = FindOption(command, arg);
    if (!option) {
      if (IsOption(arg)) return "unknown option '" + arg + "'";
      out.files.push_back(arg);
      continue;
    }
    if (!option->value) {
      out.options[arg];
      continue;
    }
    if (i + 1 >= args.size()) return arg + " needs " + option->missing;
    if (option->once && out.Has(arg)) return arg + " is given twice";
    const std::string& value = args[++i];
    if (option->check) {
      if (std::string error = option->check(value); !error.empty()) return error;
    }
    out.options[arg] = value;
  }
  for (const OptionSpec& option : command.options) {
    if (option.nonEmpty && out.Has(option.name) && out.Value(option.name).empty()) {
      return std::string(option.name) + " needs " + option.missing;
    }
  }
  return CheckFiles(command.files, out);
}

int UsageProblem(std::string& usageError, std::string why) {
  usageError = std::move(why);
  return kExitUsage;
}
