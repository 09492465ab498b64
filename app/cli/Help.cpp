#include "app/cli/Help.h"

#include <algorithm>
#include <sstream>

#include "app/Version.h"

namespace {

constexpr const char* kProgram = "travo-convert-cli";
constexpr size_t kWidth = 80;
constexpr size_t kOptionColumn = 22;  // where option texts start

const OptionSpec kHelpOption{"-h, --help", nullptr, "show this help and exit"};

// text cut into lines of at most kWidth columns at spaces, each line after the first
// starting with indent spaces (the first starts where the caller left off, at column
// `column`).
std::string Wrapped(std::string_view text, size_t column, size_t indent) {
  std::string out;
  std::istringstream words{std::string(text)};
  size_t at = column;
  bool first = true;
  for (std::string word; words >> word;) {
    if (!first && at + 1 + word.size() > kWidth) {
      out += '\n' + std::string(indent, ' ');
      at = indent;
    } else if (!first) {
      out += ' ';
      ++at;
    }
    out += word;
    at += word.size();
    first = false;
  }
  return out;
}

std::string OptionLines(const std::vector<OptionSpec>& options) {
  std::string out;
  auto add = [&](const OptionSpec& option) {
    std::string line = "  " + std::string(option.name);
    if (option.value) line += " " + std::string(option.value);
    if (line.size() + 2 > kOptionColumn) {
      line += '\n' + std::string(kOptionColumn, ' ');
    } else {
      line.resize(kOptionColumn, ' ');
    }
    out += line + Wrapped(option.help, kOptionColumn, kOptionColumn) + '\n';
  };
  for (const OptionSpec& option : options) add(option);
  add(kHelpOption);
  return out;
}

// "usage: travo-convert-cli A\n       travo-convert-cli B\n" for the forms given.
std::string UsageLines(const std::vector<std::string>& forms) {
  std::string out;
  for (size_t i = 0; i < forms.size(); ++i) out += std::string(i == 0 ? "usage: " : "       ") + kProgram + " " + forms[i] + '\n';
  return out;
}

std::vector<std::string> FormsOf(const Command* command) {
  std::vector<std::string> forms;
  for (const Command& c : Commands()) {
    if (command && &c != command) continue;
    forms.insert(forms.end(), c.synopses.begin(), c.synopses.end());
  }
  return forms;
}

const char kAbout[] =
    "Converts survey data dictionaries of ORVA 3.1 (.dd), ORVA 4.1 (.ddw) and VESK (.dic, .wst) into Travo "
    "dictionaries (.dcf) and forms (.fmf), and Travo dictionaries back into ORVA 3.1; shows, compares and "
    "prints them.";

const char kExitStatus[] =
    "Exit status: 0 done (the output written, the file shown, the dictionaries the same); 1 failed or refused, "
    "the reason on stderr (compare: the dictionaries differ); 2 a usage error; 130 interrupted by Ctrl-C.";

}  // namespace

std::string FullHelp() {
  std::vector<std::string> forms = FormsOf(nullptr);
  forms.push_back("COMMAND --help");
  forms.push_back("--help | --version");
  std::string out = UsageLines(forms) + '\n' + Wrapped(kAbout, 0, 0) + "\n\nCommands:\n";
  for (const Command& command : Commands()) {
    std::string line = "  " + std::string(command.name);
    line.resize(std::max(line.size() + 2, size_t{15}), ' ');
    out += line + Wrapped(command.summary, line.size(), line.size()) + '\n';
  }
  for (const Command& command : Commands()) {
    out += "\nOptions of " + std::string(command.name) + ":\n" + OptionLines(command.options);
  }
  out += "\nOptions without a command:\n" + OptionLines({{"--version", nullptr, "show the version and exit"}});
  out += '\n' + Wrapped(kExitStatus, 0, 0) + '\n';
  const std::string more = "See '" + std::string(kProgram) + " COMMAND --help' for a command and 'man " + kProgram + "' for more.";
  out += '\n' + Wrapped(more, 0, 0) + '\n';
  return out;
}

std::string CommandHelpText(const Command& command) {
  return UsageLines(FormsOf(&command)) + '\n' + Wrapped(command.description, 0, 0) + "\n\nOptions:\n" +
         OptionLines(command.options);
}

std::string ShortUsage(const Command* command) {
  const std::string more = command ? std::string(kProgram) + " " + command->name + " --help" : std::string(kProgram) + " --help";
  return UsageLines(FormsOf(command)) + "See '" + more + "' for more.\n";
}

std::string VersionLine() { return std::string(kProgram) + " " + TRAVO_VERSION; }

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}
