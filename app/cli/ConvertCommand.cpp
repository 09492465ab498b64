// `convert`: one file into another, or with -o every file of files and folders into a folder.
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ConvertApp.h"
#include "app/Formats.h"
#include "app/cli/Batch.h"
#include "app/cli/CliHost.h"
#include "app/cli/CommandRunners.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/RealFontMeasuring.h"
#include "libs/util/CodePage.h"
#include "libs/util/TextTools.h"
#include "res/StringTable.h"

namespace {

struct ConvertOptions {
  int kind = -1;
  bool yes = false;
  bool quiet = false;
  std::string codePage;
  std::vector<std::string> files;
  bool single = false;  // one INPUT into one OUTPUT (not the folder form)
  std::string logFile;
  std::optional<std::string> outDir;  // the folder form
};

ConvertOptions OptionsOf(const CommandArguments& args) {
  ConvertOptions options;
  if (args.Has("--kind")) options.kind = ParseConversionKind(args.Value("--kind"));
  options.yes = args.Has("--yes");
  options.quiet = args.Has("--quiet");
  options.codePage = args.Value("--oem-codepage");
  options.files = args.files;
  options.logFile = args.Value("--log");
  if (args.Has("-o")) options.outDir = args.Value("-o");
  return options;
}

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

// Checks the files and settles the single input and the kind; returns an empty string or
// the usage error.
std::string ResolveConvertInput(ConvertOptions& options) {
  if (options.outDir) return CheckOutputFolder(*options.outDir, options.files);
  if (options.files.size() != 2) return "convert needs an INPUT and an OUTPUT file";
  options.single = true;
  // The content of the input decides its format when it shows one (its module reads it as
  // such, whatever its name).
  const std::string& input = options.files[0];
  if (options.kind < 0) {
    if (!UnknownContentOf(input).empty()) return {};  // refused by RunConvert
    options.kind = ConversionKindOfFormats(FormatToRead(input), FormatFromExtension(options.files[1]));
    if (options.kind < 0) return "cannot tell the conversion kind from the extensions; give --kind";
  }
  if (const FileFormat content = DetectFileFormat(input);
      ContentOverrulesExtension(input) && KindReadsFormat(options.kind, content)) {
    std::cerr << "note: " << VisibleText(input) << " is " << FormatDescription(content) << "; converting it as such\n";
  }
  return {};
}

}  // namespace

std::string CheckConversionKind(const std::string& value) {
  return ParseConversionKind(value) < 0 ? "unknown conversion kind '" + value + "'" : std::string();
}

int RunConvert(const CommandArguments& args, std::string& usageError) {
  ConvertOptions options = OptionsOf(args);
  if (std::string error = ResolveConvertInput(options); !error.empty()) return UsageProblem(usageError, error);
  if (options.kind < 0 && options.single) {
    std::cerr << VisibleLines(UnknownContentOf(options.files[0])) << '\n';
    return kExitFailed;
  }
  if (!options.codePage.empty() && !SetOemCodePage(options.codePage)) {
    return UsageProblem(usageError, "unknown code page '" + options.codePage + "'");
  }
  CliHost host(options.yes, options.quiet);
  // Forms are laid out with the real fonts, as the wizard lays them out.
  std::optional<RealFontMeasuring> measuring;
  if (options.kind == KIND_VESK_TO_TRAVO_FORMS) measuring.emplace();
  CConvertApp app(host);
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
