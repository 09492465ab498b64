// travo-convert-cli: converts dictionaries, and shows, compares and prints them. The
// commands, their options and the exit statuses are listed in Help.cpp (--help).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/ConvertApp.h"
#include "app/DetectFormat.h"
#include "app/cli/Arguments.h"
#include "app/cli/Batch.h"
#include "app/cli/CliHost.h"
#include "app/cli/Compare.h"
#include "app/cli/Help.h"
#include "app/cli/Inspect.h"
#include "app/cli/Preview.h"
#include "app/cli/VeskCommands.h"
#include "app/cli/VeskData.h"
#include "libs/util/CodePage.h"
#include "libs/util/FileNames.h"
#include "libs/util/TextTools.h"
#include "res/StringTable.h"
#ifdef TRAVO_QT_MEASURE
#include <QGuiApplication>

#include "app/textmeasure/QtTextMeasurer.h"
#endif

namespace {

constexpr int kExitWritten = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

// Texts measured with the real fonts (Qt) while it lives, where the tool has them; the
// fixed metrics otherwise.
#ifdef TRAVO_QT_MEASURE
struct RealFontMeasuring {
  std::unique_ptr<QGuiApplication> gui = EnsureGuiForMeasuring();
  CQtTextMeasurer measurer;
  ScopedTextMeasurer installed{measurer};
};
#else
struct RealFontMeasuring {};
#endif

// Records why the arguments are refused; main shows it with the command's usage.
int UsageProblem(std::string& usageError, std::string why) {
  usageError = std::move(why);
  return kExitUsage;
}

struct ConvertOptions {
  int kind = -1;
  bool yes = false;
  bool quiet = false;
  std::string codePage;
  std::vector<std::string> files;
  std::shared_ptr<ResolvedInput> input;  // the single input, read as what its content shows
  std::string logFile;
  std::optional<std::string> outDir;  // the folder form
};

// The folder form's usage errors: no input, or an OUTDIR that is something else than a folder.
std::string CheckOutputFolder(const std::string& outDir, const std::vector<std::string>& inputs) {
  if (inputs.empty()) return "convert -o OUTDIR needs at least one INPUT";
  if (outDir.empty()) return "-o needs a folder";
  std::error_code ec;
  if (std::filesystem::exists(outDir, ec) && !std::filesystem::is_directory(outDir, ec)) {
    return "-o " + outDir + " is not a folder";
  }
  return {};
}

// Parses the convert command's arguments; returns an empty string or the usage error.
std::string ParseConvertOptions(const std::vector<std::string>& args, ConvertOptions& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--kind" || arg == "--oem-codepage" || arg == "--log" || arg == "-o") {
      if (i + 1 >= args.size()) return arg + " needs a value";
      const std::string& value = args[++i];
      if (arg == "--log") {
        options.logFile = value;
      } else if (arg == "-o") {
        if (options.outDir) return "-o is given twice";
        options.outDir = value;
      } else if (arg == "--oem-codepage") {
        options.codePage = value;
      } else if ((options.kind = ParseConversionKind(value)) < 0) {
        return "unknown conversion kind '" + value + "'";
      }
    } else if (arg == "--yes") {
      options.yes = true;
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
      return "unknown option '" + arg + "'";
    } else {
      if (arg == "--") {
        options.files.insert(options.files.end(), args.begin() + i + 1, args.end());
        break;
      }
      options.files.push_back(arg);
    }
  }
  if (options.outDir) return CheckOutputFolder(*options.outDir, options.files);
  if (options.files.size() != 2) return "convert needs an INPUT and an OUTPUT file";
  // The content of the input decides its kind when it shows one (ConvertOneFile reads it
  // as such).
  options.input = std::make_shared<ResolvedInput>(options.files[0]);
  const ResolvedInput& input = *options.input;
  if (options.kind < 0) {
    if (!UnknownContentOf(options.files[0]).empty()) return {};  // refused by RunConvert
    options.kind = ConversionKindFromExtensions(input.path(), options.files[1]);
    if (options.kind < 0) return "cannot tell the conversion kind from the extensions; give --kind";
  }
  if (input.overruled() && FormatFitsKind(input.format(), options.kind)) {
    std::cerr << "note: " << VisibleText(options.files[0]) << " is " << FormatDescription(input.format())
              << "; converting it as such\n";
  }
  return {};
}

int RunConvert(const std::vector<std::string>& args, std::string& usageError) {
  ConvertOptions options;
  if (std::string error = ParseConvertOptions(args, options); !error.empty()) return UsageProblem(usageError, error);
  if (options.kind < 0 && options.input) {
    std::cerr << VisibleLines(UnknownContentOf(options.files[0])) << '\n';
    return kExitFailed;
  }
  if (!options.codePage.empty() && !SetOemCodePage(options.codePage)) {
    return UsageProblem(usageError, "unknown code page '" + options.codePage + "'");
  }
  CliHost host(options.yes, options.quiet);
  ScopedHost installed(host);
  // Forms are laid out with the real fonts, as the wizard lays them out.
  std::optional<RealFontMeasuring> measuring;
  if (options.kind == KIND_VESK_TO_TRAVO_FORMS) measuring.emplace();
  CConvertApp app;
  if (options.outDir) {
    std::error_code ec;
    std::filesystem::create_directories(*options.outDir, ec);
    if (ec) {
      std::cerr << "travo-convert-cli: cannot make the folder " << *options.outDir << ": " << ec.message() << '\n';
      return kExitFailed;
    }
    return RunConvertFolder(app, host, {options.kind, options.quiet, *options.outDir, options.logFile, options.files});
  }
  ConvertLog log;
  if (std::string error; !options.logFile.empty() && !log.Open(options.logFile, error)) {
    std::cerr << "travo-convert-cli: " << error << '\n';
    return kExitFailed;
  }
  const ConversionRun run = ConvertOneFile(app, host, options.kind, options.files[0], options.files[1]);
  if (std::string error; log.IsOpen() && !log.Append(run, error)) std::cerr << "travo-convert-cli: " << error << '\n';
  // The summary goes to stdout: stderr holds the conversion's own messages only.
  if (run.outcome == ConversionOutcome::Converted && !options.quiet) {
    std::cout << VisibleText(SummaryLine(run)) << '\n' << std::flush;
  }
  if (run.outcome == ConversionOutcome::Converted) return kExitWritten;
  return run.outcome == ConversionOutcome::Interrupted ? kExitInterrupted : kExitFailed;
}

int RunInspect(const std::vector<std::string>& args, std::string& usageError) {
  bool json = false;
  std::vector<std::string> files;
  if (!SplitJsonAndFiles(args, json, files, usageError)) return kExitUsage;
  if (files.size() != 1) return UsageProblem(usageError, "inspect needs one FILE");
  CliHost host(true, true);
  ScopedHost installed(host);
  std::string error;
  if (!InspectFile(VornGetFullFileName(files[0]), json, std::cout, error)) {
    std::cerr << VisibleLines(error) << '\n';
    return kExitFailed;
  }
  // A description cut short (a full disk, a closed pipe) is not a file shown.
  if (!std::cout.flush()) {
    std::cerr << "travo-convert-cli: cannot write the description of " << files[0] << '\n';
    return kExitFailed;
  }
  return kExitWritten;
}

// Pictures of the forms of a forms file: one SVG per form and an index.html, in DIR.
int RunPreview(const std::vector<std::string>& args, std::string& usageError) {
  std::string folder;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-d") {
      if (i + 1 >= args.size()) return UsageProblem(usageError, "-d needs a folder");
      folder = args[++i];
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return UsageProblem(usageError, "unknown option '" + args[i] + "'");
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 1 || folder.empty()) return UsageProblem(usageError, "preview needs one FILE.fmf and -d DIR");
  // Texts are placed on their baselines with the ascents of the fonts that laid them out.
  [[maybe_unused]] const RealFontMeasuring measuring;
  std::string error;
  if (!WriteFormsPreview(VornGetFullFileName(files[0]), VornGetFullFileName(folder), error)) {
    std::cerr << VisibleLines(error) << '\n';
    return kExitFailed;
  }
  return kExitWritten;
}

int RunVeskDataCommand(const std::vector<std::string>& args, std::string& usageError) {
  return RunVeskData(args, [&](const std::string& why) { return UsageProblem(usageError, why); });
}

// Every command's function: the exit status, or kExitUsage with the reason in usageError.
using CommandRunner = int (*)(const std::vector<std::string>& args, std::string& usageError);

CommandRunner RunnerOf(std::string_view command) {
  static const std::pair<std::string_view, CommandRunner> runners[] = {
      {"convert", RunConvert},       {"inspect", RunInspect},         {"compare", RunCompare},
      {"preview", RunPreview},       {"vesk-report", RunVeskReport},  {"vesk-html", RunVeskHtml},
      {"vesk-data", RunVeskDataCommand},
  };
  for (const auto& [name, runner] : runners) {
    if (name == command) return runner;
  }
  return nullptr;
}

// The usage error: what is wrong, then the short usage of the command (of every command
// when it is not known) on stderr.
int UsageError(const CommandHelp* command, const std::string& why) {
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

}  // namespace

int main(int argc, char** argv) {
  KeepStandardStreamsOpen();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError(nullptr, "no command given");
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--version") return Print(VersionLine() + '\n');
  if (IsHelpCommand(command)) {
    // "help COMMAND" is "COMMAND --help".
    if (args.empty()) return Print(FullHelp());
    const CommandHelp* asked = FindCommand(args.front());
    return asked ? Print(CommandHelpText(*asked)) : UsageError(nullptr, "unknown command '" + args.front() + "'");
  }
  const CommandHelp* help = FindCommand(command);
  const CommandRunner run = RunnerOf(command);
  if (!help || !run) return UsageError(nullptr, "unknown command '" + command + "'");
  if (AsksForHelp(args)) return Print(CommandHelpText(*help));
  std::string usageError;
  const int status = run(args, usageError);
  return usageError.empty() ? status : UsageError(help, usageError);
}
