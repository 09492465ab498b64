#pragma once
// The convert command's run of one conversion and of folders of files: a host that
// records every message shown on its way to the terminal, the summary of what was
// written, the log, and the folder form (`convert -o OUTDIR INPUT...`).
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "app/cli/CliHost.h"
#include "libs/util/Host.h"

class CConvertApp;

// Forwards everything to the command-line host and keeps the text of every message.
class RecordingCliHost : public IHost {
 public:
  explicit RecordingCliHost(CliHost& inner) : inner_(inner) {}
  int ShowMessage(const std::string& text, unsigned style) override;
  std::unique_ptr<IProgressWindow> OpenProgress() override { return inner_.OpenProgress(); }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  CliHost& inner_;
  std::vector<std::string> messages_;
};

enum class ConversionOutcome { Converted, Failed, Interrupted };

// One conversion as it went.
struct ConversionRun {
  int kind = -1;
  std::string input, output;  // as given (shown in the summary and the table)
  std::vector<std::string> messages;
  ConversionOutcome outcome = ConversionOutcome::Failed;
  double seconds = 0;
  std::string counts;  // what was written, e.g. "2 levels, 5 records, 48 items, 31 value sets"
};

// The kind of a file given to the folder form: today its extension decides (.dd 0, .ddw 1,
// .dcf 2, .dic and .wst 3); -1 when none does.
int KindOfInputFile(const std::string& path);
// The extension (without the point) of the output of kind: dcf, dd, fmf or dic.
const char* OutputExtensionOfKind(int kind);

// Makes the wizard's file-name checks, then converts with every message recorded and
// the time taken; on success counts what was written.
ConversionRun ConvertOneFile(CConvertApp& app, CliHost& host, int kind, const std::string& input,
                             const std::string& output);

// The summary line of a conversion that wrote its output:
// "wrote out/survey.dcf: 2 levels, 5 records, 48 items, 31 value sets in 0.12 s".
std::string SummaryLine(const ConversionRun& run);

// The log: blocks of "key: value" lines appended to a file, one write per block.
class ConvertLog {
 public:
  ConvertLog() = default;
  ~ConvertLog();
  ConvertLog(const ConvertLog&) = delete;
  ConvertLog& operator=(const ConvertLog&) = delete;
  // Opens path for appending (made when missing); false with the reason in error.
  bool Open(const std::string& path, std::string& error);
  bool IsOpen() const { return fd_ >= 0; }
  // Appends the block of run; false with the reason in error.
  bool Append(const ConversionRun& run, std::string& error);

 private:
  bool TakeBackPartOfBlock(ssize_t written);

  int fd_ = -1;
  std::string path_;
};

// The block of run as the log holds it (its date and time now, in UTC).
std::string LogBlock(const ConversionRun& run);

struct FolderOptions {
  int kind = -1;  // forced, or -1 for the kind of each file
  bool quiet = false;
  std::string outDir;
  std::string logFile;
  std::vector<std::string> inputs;
};

// The folder form; returns the exit status (0 all converted, 1 any failed, 130
// interrupted). The output folder is checked by the caller.
int RunConvertFolder(CConvertApp& app, CliHost& host, const FolderOptions& options);
