#include "app/cli/Help.h"

#include <algorithm>
#include <sstream>

#include "app/Version.h"

namespace {

constexpr const char* kProgram = "travo-convert-cli";
constexpr size_t kWidth = 80;
constexpr size_t kOptionColumn = 22;  // where option texts start

const OptionHelp kHelpOption{"-h, --help", "show this help and exit"};

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

std::string OptionLines(const std::vector<OptionHelp>& options) {
  std::string out;
  auto add = [&](const OptionHelp& option) {
    std::string line = "  " + std::string(option.names);
    if (line.size() + 2 > kOptionColumn) {
      line += '\n' + std::string(kOptionColumn, ' ');
    } else {
      line.resize(kOptionColumn, ' ');
    }
    out += line + Wrapped(option.text, kOptionColumn, kOptionColumn) + '\n';
  };
  for (const OptionHelp& option : options) add(option);
  add(kHelpOption);
  return out;
}

// "usage: travo-convert-cli A\n       travo-convert-cli B\n" for the forms given.
std::string UsageLines(const std::vector<std::string>& forms) {
  std::string out;
  for (size_t i = 0; i < forms.size(); ++i) out += std::string(i == 0 ? "usage: " : "       ") + kProgram + " " + forms[i] + '\n';
  return out;
}

std::vector<std::string> FormsOf(const CommandHelp* command) {
  std::vector<std::string> forms;
  for (const CommandHelp& c : Commands()) {
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

const std::vector<CommandHelp>& Commands() {
  static const std::vector<CommandHelp> commands = {
      {"convert",
       {"convert [--kind K] [--yes] [--quiet] [--oem-codepage CP] [--log FILE] INPUT OUTPUT",
        "convert [--kind K] [--yes] [--quiet] [--oem-codepage CP] [--log FILE] -o OUTDIR INPUT..."},
       "convert a dictionary, or every dictionary of files and folders",
       "Converts the dictionary INPUT into OUTPUT, or with -o every INPUT (files, and folders with all their "
       "subfolders) into OUTDIR. Without --kind each file's content decides: ORVA 3.1, ORVA 4.1 and VESK "
       "dictionaries become .dcf (a VESK dictionary .fmf when OUTPUT ends in .fmf), Travo dictionaries .dd; a "
       "file of no format this tool knows is refused, and in the folder form a file that neither holds nor is "
       "named as a known format is skipped and listed. Each existing file the conversion writes (the dictionary "
       "beside a forms file too) is replaced only when the question about it is answered yes: by --yes, or on "
       "the terminal; without a terminal the answer is no. Every question is shown on stderr with the answer it "
       "got, e.g. \"(answered no: standard input is not a terminal)\". An output that is the input file itself is "
       "refused.",
       {{"--kind K",
         "the conversion kind, 0 to 5 or a name: orva31 (0), orva41 (1), to-orva31 (2), vesk (3), vesk-forms "
         "(4), to-vesk (5)"},
        {"--yes", "answer yes to every question (replace an existing file the conversion writes)"},
        {"--quiet", "draw no progress bar, print no summary of what was written"},
        {"--oem-codepage CP", "the code page of the old files' texts, an iconv name (default CP850)"},
        {"--log FILE", "append a record of every conversion, its messages and answers to FILE"},
        {"-o OUTDIR", "convert every INPUT into OUTDIR, under its path inside the folder given"}}},
      {"inspect",
       {"inspect [--json] FILE"},
       "show what a dictionary or forms file holds",
       "Shows what FILE holds, chosen by its content or its extension: a Travo dictionary (.dcf) or forms file "
       "(.fmf), an ORVA 4.1 dictionary (.ddw) as its conversion builds it, the layout of an ORVA 3.1 file (.dd), "
       "a VESK dictionary (.dic, .wst).",
       {{"--json", "print the description as JSON"}}},
      {"compare",
       {"compare [--json] A B"},
       "list where two dictionaries differ",
       "Reads the dictionaries A and B (ORVA 3.1, ORVA 4.1, VESK or Travo) into the Travo model and lists "
       "where they differ, one line each, its path first. Nothing is written beside them. Exit status 0 when "
       "they hold the same, 1 when they differ.",
       {{"--json", "print the differences as a JSON array"}}},
      {"preview",
       {"preview FILE.fmf -d DIR"},
       "draw the forms of a forms file as SVG pictures",
       "Draws every form of the Travo forms file FILE.fmf as an SVG picture (form-1.svg, form-2.svg, ...) with "
       "an index.html that shows them all.",
       {{"-d DIR", "the folder the pictures are written into (made when missing)"}}},
      {"vesk-report",
       {"vesk-report DIC [-o FILE]"},
       "write the listing of a VESK dictionary",
       "Writes the listing of the VESK dictionary DIC: its keys, its sections with their variables, "
       "transformations and forms.",
       {{"-o FILE", "write the listing into FILE instead of stdout"}}},
      {"vesk-html",
       {"vesk-html DIC -d DIR"},
       "write an HTML page for every form of a VESK dictionary",
       "Writes one HTML page for every form of the VESK dictionary DIC, DIR/<FORM>.HTM, each linked to the "
       "forms before and after it.",
       {{"-d DIR", "the folder the pages are written into (made when missing)"}}},
      {"vesk-data",
       {"vesk-data DIC DATA -d DIR"},
       "write the records of a VESK data file as CSV",
       "Reads DATA, a text file of fixed-width records described by the VESK dictionary DIC, and writes "
       "DIR/<SECTION>.csv for each section that has records.",
       {{"-d DIR", "the folder the CSV files are written into (made when missing)"}}},
  };
  return commands;
}

const CommandHelp* FindCommand(std::string_view name) {
  const auto& commands = Commands();
  auto found = std::find_if(commands.begin(), commands.end(), [&](const CommandHelp& c) { return c.name == name; });
  return found == commands.end() ? nullptr : &*found;
}

std::string FullHelp() {
  std::vector<std::string> forms = FormsOf(nullptr);
  forms.push_back("COMMAND --help");
  forms.push_back("--help | --version");
  std::string out = UsageLines(forms) + '\n' + Wrapped(kAbout, 0, 0) + "\n\nCommands:\n";
  for (const CommandHelp& command : Commands()) {
    std::string line = "  " + std::string(command.name);
    line.resize(std::max(line.size() + 2, size_t{15}), ' ');
    out += line + Wrapped(command.summary, line.size(), line.size()) + '\n';
  }
  for (const CommandHelp& command : Commands()) {
    out += "\nOptions of " + std::string(command.name) + ":\n" + OptionLines(command.options);
  }
  out += "\nOptions without a command:\n" + OptionLines({{"--version", "show the version and exit"}});
  out += '\n' + Wrapped(kExitStatus, 0, 0) + '\n';
  const std::string more = "See '" + std::string(kProgram) + " COMMAND --help' for a command and 'man " + kProgram + "' for more.";
  out += '\n' + Wrapped(more, 0, 0) + '\n';
  return out;
}

std::string CommandHelpText(const CommandHelp& command) {
  return UsageLines(FormsOf(&command)) + '\n' + Wrapped(command.description, 0, 0) + "\n\nOptions:\n" +
         OptionLines(command.options);
}

std::string ShortUsage(const CommandHelp* command) {
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
