// `data [--to csv|sav|dta] DICT DATA -d DIR`: the records of a fixed-width data file,
// read through any dictionary the tool reads, as one table per record type.
#include <iostream>
#include <memory>

#include "app/Formats.h"
#include "app/cli/CliHost.h"
#include "app/cli/CommandRunners.h"
#include "app/cli/ExitStatus.h"
#include "libs/data/DataRun.h"
#include "libs/util/CodePage.h"
#include "libs/util/FileNames.h"
#include "libs/util/TextTools.h"

namespace {

bool ParseDataFormat(const std::string& name, DataFormat& format) {
  for (DataFormat candidate : {DataFormat::Csv, DataFormat::Sav, DataFormat::Dta}) {
    if (name == DataFormatExtension(candidate)) {
      format = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string CheckDataFormat(const std::string& value) {
  DataFormat format;
  return ParseDataFormat(value, format) ? std::string() : "unknown output format '" + value + "' (csv, sav or dta)";
}

int RunData(const CommandArguments& args, std::string& usageError) {
  DataRunOptions options;
  if (args.Has("--to")) ParseDataFormat(args.Value("--to"), options.format);
  if (const std::string codePage = args.Value("--oem-codepage"); !codePage.empty() && !SetOemCodePage(codePage)) {
    return UsageProblem(usageError, "unknown code page '" + codePage + "'");
  }
  const bool quiet = args.Has("--quiet");
  const std::string& dictionary = args.files[0];
  options.dataPath = args.files[1];
  options.folder = args.Value("-d");
  std::string error;
  const FileFormat format = DictionaryFormatOf(dictionary, error);
  if (format == FileFormat::Unknown) {
    std::cerr << "travo-convert-cli: " << VisibleLines(error) << '\n';
    return kExitFailed;
  }
  CliHost host(args.Has("--yes"), quiet);
  std::unique_ptr<DataLayout> layout = ReadDataLayoutAs(format, dictionary, error);
  if (!layout) {
    std::cerr << VisibleLines(error) << '\n';
    return kExitFailed;
  }
  DataRunSummary summary;
  const bool written = WriteDataTables(*layout, options, host, host.Lines(), summary);
  host.Lines().flush();
  if (summary.interrupted || CliHost::Interrupted()) return kExitInterrupted;
  // The summary goes to stdout: stderr holds the messages only.
  if (!quiet) std::cout << VisibleText(DataSummaryLine(summary, options.folder)) << '\n' << std::flush;
  return written ? kExitWritten : kExitFailed;
}
