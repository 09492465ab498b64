#pragma once
// The convert command's run of one conversion and of folders of files: a host that
// records every message shown on its way to the terminal, the summary of what was
// written, the log, and the folder form (`convert -o OUTDIR INPUT...`).
#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/CliHost.h"
#include "libs/util/Reporter.h"

class CConvertApp;

// A message as it was shown, with the answer it got when it was a question.
struct ShownMessage {
  std::string text;
  std::optional<QuestionAnswer> answer;
};

// Forwards everything to the command-line host and keeps every message with its answer.
class RecordingCliHost : public IReporter {
 public:
  explicit RecordingCliHost(CliHost& inner) : inner_(inner) {}
  int Report(const Message& message) override { return ShowMessage(message.text, message.style); }
  int ShowMessage(const std::string& text, unsigned style);
  std::unique_ptr<IProgressWindow> OpenProgress() override { return inner_.OpenProgress(); }
  const std::vector<ShownMessage>& Messages() const { return messages_; }

 private:
  CliHost& inner_;
  std::vector<ShownMessage> messages_;
};

enum class ConversionOutcome { Converted, Failed, Interrupted };

// One conversion as it went.
struct ConversionRun {
  int kind = -1;
  std::string input, output;  // as given
  // Full paths: the files written, or when none was, those the conversion was to write
  // (OutputFilesOfKind), the forms file first. Shown named as the output was given.
  std::vector<std::string> outputFiles;
  std::vector<ShownMessage> messages;
  ConversionOutcome outcome = ConversionOutcome::Failed;
  double seconds = 0;
  std::string counts;  // what was written, e.g. "2 levels, 5 records, 48 items, 31 value sets"
};

// A conversion of kind from input to output (as given) that has not run yet.
ConversionRun PlannedRun(int kind, const std::string& input, const std::string& output);
// A file of a conversion named as its output was given: the output's folder as given, the
// file's own name.
std::string ShownName(const std::string& file, const std::string& givenOutput);
// The files of run, each named so ("out/survey.fmf and out/survey.dcf").
std::string ShownOutputFiles(const ConversionRun& run);


// Makes the wizard's file-name checks, then converts with every message recorded and
// the time taken; keeps the files written and, on success, what they hold as the
// conversion counted it. An input whose content is a format that kind reads is read as
// such, whatever its extension; the run, its messages and the log name it as given.
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

// The block of run as the log holds it (its date and time now, in UTC), its texts as
// stderr shows them (VisibleLines, VisibleText).
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
