#include "app/cli/Batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <set>

#include "app/ConvertApp.h"
#include "app/Formats.h"
#include "libs/util/FileNames.h"
#include "libs/util/SafeFile.h"
#include "libs/util/TextTools.h"
#include "res/StringTable.h"

namespace fs = std::filesystem;

int RecordingCliHost::ShowMessage(const std::string& text, unsigned style) {
  std::optional<QuestionAnswer> answer;
  const int result = inner_.Show(text, style, answer);
  messages_.push_back({text, std::move(answer)});
  return result;
}

namespace {

std::string Counted(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "2 levels, 5 records, 48 items, 31 value sets" and, for kind 4, ", 3 forms" or ", no forms"
// when no forms file was written.
std::string CountsText(int kind, const WrittenFiles& written) {
  const DictionaryCounts& dict = written.counts;
  std::string counts = Counted(dict.levels, "level", "levels") + ", " + Counted(dict.records, "record", "records") +
                       ", " + Counted(dict.items, "item", "items") + ", " +
                       Counted(dict.valueSets, "value set", "value sets");
  if (kind != KIND_VESK_TO_TRAVO_FORMS) return counts;
  return counts + ", " + (written.forms.empty() ? std::string("no forms") : Counted(written.formCount, "form", "forms"));
}

std::string OneLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

const char* OutcomeName(ConversionOutcome outcome) {
  switch (outcome) {
    case ConversionOutcome::Converted:
      return "converted";
    case ConversionOutcome::Interrupted:
      return "interrupted";
    default:
      return "failed";
  }
}

}  // namespace

ConversionRun PlannedRun(int kind, const std::string& input, const std::string& output) {
  ConversionRun run;
  run.kind = kind;
  run.input = input;
  run.output = output;
  run.outputFiles = OutputFilesOfKind(kind, VornGetFullFileName(output));
  return run;
}

std::string ShownName(const std::string& file, const std::string& givenOutput) {
  return fs::path(givenOutput).replace_filename(fs::path(file).filename()).string();
}

std::string ShownOutputFiles(const ConversionRun& run) {
  std::string shown;
  for (const std::string& file : run.outputFiles) shown += (shown.empty() ? "" : " and ") + ShownName(file, run.output);
  return shown;
}

ConversionRun ConvertOneFile(CConvertApp& app, CliHost& host, int kind, const std::string& input,
                             const std::string& output) {
  ConversionRun run = PlannedRun(kind, input, output);
  // A file whose content shows a format that kind reads is read as such, whatever its
  // extension (the format module reads the path it is given).
  RecordingCliHost recorder(host);
  app.ReportTo(recorder);
  const auto start = std::chrono::steady_clock::now();
  const CVornString fullInput = VornGetFullFileName(input);
  const CVornString fullOutput = VornGetFullFileName(output);
  bool checked = true;
  if (kind != KIND_TRAVO_TO_VESK) {
    // The same checks the wizard makes at Finish; each explains itself when it refuses.
    const char* inputExt = LoadResString(FindConversionKind(kind)->inputExt);
    checked = IsVornFileNameOK(recorder, 1, fullInput, inputExt ? inputExt : "", 0) &&
              CheckConversionOutputs(recorder, kind, fullInput, fullOutput, 1);
  }
  if (checked) {
    // A Ctrl-C that came too late to stop the conversion leaves a complete output: that
    // counts as written.
    if (app.RunConversion(kind, fullInput, fullOutput, DetectFileFormat(fullInput))) {
      run.outcome = ConversionOutcome::Converted;
      run.counts = CountsText(kind, app.LastWrittenFiles());
    } else if (CliHost::Interrupted()) {
      run.outcome = ConversionOutcome::Interrupted;
    }
    if (std::vector<std::string> written = app.LastWrittenFiles().Files(); !written.empty()) {
      run.outputFiles = std::move(written);
    }
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.messages = recorder.Messages();
  app.ReportTo(host);  // the recorder ends here
  return run;
}

std::string SummaryLine(const ConversionRun& run) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", run.seconds);
  return "wrote " + ShownOutputFiles(run) + ": " + run.counts + " in " + seconds + " s";
}

ConvertLog::~ConvertLog() {
  if (fd_ >= 0) close(fd_);
}

bool ConvertLog::Open(const std::string& path, std::string& error) {
  fd_ = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    error = "cannot open the log " + path + ": " + std::strerror(errno);
    return false;
  }
  path_ = path;
  return true;
}

std::string LogBlock(const ConversionRun& run) {
  char when[32];
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
  const ConversionKindInfo* info = FindConversionKind(run.kind);
  std::string block = std::string("date: ") + when + "\n";
  block += "kind: " + std::to_string(run.kind) + (info ? std::string(" ") + info->cliName : std::string()) + "\n";
  block += "input: " + VisibleText(VornGetFullFileName(run.input)) + "\n";
  for (const std::string& file : run.outputFiles) block += "output: " + VisibleText(file) + "\n";
  for (const ShownMessage& message : run.messages) {
    // Every line of a message indented, blank ones too, so that a blank line only ever
    // ends a block.
    block += "message:\n";
    size_t start = 0;
    std::string text = message.text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      block += "  " + VisibleLines(line) + "\n";
      start = end + 1;
    }
    if (message.answer) {
      block += std::string("answer: ") + (message.answer->yes ? "yes" : "no") + " (" + message.answer->from + ")\n";
    }
  }
  block += std::string("outcome: ") + OutcomeName(run.outcome);
  if (run.outcome == ConversionOutcome::Converted) block += " (" + VisibleText(run.counts) + ")";
  block += "\n\n";
  return block;
}

// A block cut short (the disk full) is taken back, so that the log keeps its earlier
// blocks and ends with a whole one; not when another program appended after it meanwhile.
bool ConvertLog::TakeBackPartOfBlock(ssize_t written) {
  const off_t end = lseek(fd_, 0, SEEK_CUR);
  struct stat info {};
  return end >= written && fstat(fd_, &info) == 0 && info.st_size == end && ftruncate(fd_, end - written) == 0;
}

bool ConvertLog::Append(const ConversionRun& run, std::string& error) {
  const std::string block = LogBlock(run);
  // One write per block: with O_APPEND two programs logging into the same file do not
  // interleave their blocks.
  ssize_t written;
  do {
    written = write(fd_, block.data(), block.size());
  } while (written < 0 && errno == EINTR);
  if (written != static_cast<ssize_t>(block.size())) {
    const int reason = written < 0 ? errno : ENOSPC;
    if (written > 0) TakeBackPartOfBlock(written);
    error = "cannot write the log " + path_ + ": " + std::strerror(reason);
    return false;
  }
  return true;
}

namespace {

struct FolderEntry {
  std::string input;   // as shown: the path given, joined with the path inside a folder
  std::string output;  // empty when skipped
  int kind = -1;
  std::string skipped;  // why it is not converted, when it is not
  bool missing = false;  // given, but there is no such file: a failure
  std::string refused;  // why it fails unread (its extension names a format its content is not)
};

// Without a forced kind the content decides; a file whose content shows no format fails
// when its extension names an input format (as given alone, it is refused) and is skipped
// otherwise.
void ChooseKind(const FolderOptions& options, FolderEntry& entry) {
  if (options.kind >= 0) {
    entry.kind = options.kind;
    return;
  }
  const FileFormat content = DetectFileFormat(entry.input);
  entry.kind = KindOfInputFormat(content);
  if (entry.kind >= 0) return;
  if (content == FileFormat::Unknown && KindOfInputFormat(FormatFromExtension(entry.input)) >= 0) {
    entry.refused = NotADictionaryMessage(entry.input);
  } else {
    entry.skipped = "no known kind";
  }
}

bool IsInside(const fs::path& path, const fs::path& folder) {
  auto p = path.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
    if (f->empty()) continue;  // a trailing separator
    if (p == path.end() || *p != *f) return false;
  }
  return true;
}

// Every file of the inputs, each with its kind and output.
std::vector<FolderEntry> ListFiles(const FolderOptions& options) {
  std::error_code ec;
  const fs::path outDir = fs::weakly_canonical(options.outDir, ec);
  std::vector<FolderEntry> entries;
  auto add = [&](const fs::path& shown, const fs::path& relative) {
    FolderEntry entry;
    entry.input = shown.string();
    std::error_code statError;
    if (!fs::exists(fs::symlink_status(shown, statError))) {
      entry.missing = true;
    } else if (!fs::is_regular_file(shown, statError)) {
      entry.skipped = "not a regular file";
    } else if (ChooseKind(options, entry); entry.kind >= 0) {
      entry.output = (fs::path(options.outDir) / relative).replace_extension(OutputExtensionOfKind(entry.kind)).string();
    }
    entries.push_back(std::move(entry));
  };
  for (const std::string& input : options.inputs) {
    std::error_code statError;
    if (!fs::is_directory(input, statError)) {
      add(input, fs::path(input).filename());
      continue;
    }
    std::vector<fs::path> relatives;
    fs::recursive_directory_iterator walk(input, fs::directory_options::skip_permission_denied, statError), end;
    for (; !statError && walk != end; walk.increment(statError)) {
      if (walk->is_directory()) {
        // Earlier outputs in the output folder are not inputs.
        std::error_code canonicalError;
        if (!outDir.empty() && IsInside(fs::weakly_canonical(walk->path(), canonicalError), outDir)) {
          walk.disable_recursion_pending();
        }
        continue;
      }
      relatives.push_back(walk->path().lexically_relative(input));
    }
    std::sort(relatives.begin(), relatives.end(),
              [](const fs::path& a, const fs::path& b) { return a.generic_string() < b.generic_string(); });
    for (const fs::path& relative : relatives) add(fs::path(input) / relative, relative);
  }
  return entries;
}

// The files the folder form lists, converted or not, to keep each of them from being
// replaced by the output of another.
std::vector<std::string> InputsOf(const std::vector<FolderEntry>& entries) {
  std::vector<std::string> inputs;
  for (const FolderEntry& entry : entries) {
    if (!entry.missing) inputs.push_back(entry.input);
  }
  return inputs;
}

// Whether file is one of inputs other than input itself, whatever names and links lead there.
bool IsAnotherInput(const std::string& file, const std::string& input, const std::vector<std::string>& inputs) {
  return std::any_of(inputs.begin(), inputs.end(), [&](const std::string& other) {
    return other != input && IsSameFile(file, other) && !IsSameFile(file, input);
  });
}

}  // namespace

int RunConvertFolder(CConvertApp& app, CliHost& host, const FolderOptions& options) {
  ConvertLog log;
  if (!options.logFile.empty()) {
    std::string error;
    if (!log.Open(options.logFile, error)) {
      std::cerr << "travo-convert-cli: " << error << '\n';
      return 1;
    }
  }
  std::vector<FolderEntry> entries = ListFiles(options);
  struct Row {
    const char* status;
    std::string input, detail;
  };
  std::vector<Row> rows;
  int converted = 0, failed = 0, skipped = 0;
  bool interrupted = false;
  std::set<std::string> outputs;
  const std::vector<std::string> inputs = InputsOf(entries);
  for (const FolderEntry& entry : entries) {
    if (!entry.skipped.empty()) {
      rows.push_back({"skipped", entry.input, entry.skipped});
      ++skipped;
      continue;
    }
    if (entry.missing || !entry.refused.empty()) {
      // Refused before any conversion, as the single-file form refuses: not logged.
      const std::string message =
          entry.missing ? "There is no file or folder " + entry.input + "." : entry.refused;
      host.ShowMessage(message, MB_OK);
      rows.push_back({"failed", entry.input, message});
      ++failed;
      continue;
    }
    ConversionRun run = PlannedRun(entry.kind, entry.input, entry.output);
    const auto taken = std::find_if(run.outputFiles.begin(), run.outputFiles.end(),
                                    [&outputs](const std::string& file) { return outputs.count(file) > 0; });
    const auto otherInput = std::find_if(run.outputFiles.begin(), run.outputFiles.end(), [&](const std::string& file) {
      return IsAnotherInput(file, entry.input, inputs);
    });
    std::string error;
    if (taken != run.outputFiles.end()) {
      // Two inputs of one name but different extensions: the first one's output stays.
      error = "The output " + ShownName(*taken, entry.output) + " is already the output of another input.";
    } else if (otherInput != run.outputFiles.end()) {
      // Into the input folder, a.dcf would write a.dd over the input a.dd, which would then
      // be converted from what replaced it: neither is replaced.
      error = "The output " + ShownName(*otherInput, entry.output) + " is another input of this conversion.";
    } else {
      outputs.insert(run.outputFiles.begin(), run.outputFiles.end());
      if (MakeFolder(fs::path(entry.output).parent_path().string(), &error)) {
        run = ConvertOneFile(app, host, entry.kind, entry.input, entry.output);
      }
    }
    if (!error.empty()) {
      run.messages.push_back({error, {}});
      host.ShowMessage(error, MB_OK);
    }
    if (log.IsOpen()) {
      std::string error;
      if (!log.Append(run, error)) std::cerr << "travo-convert-cli: " << error << '\n';
    }
    if (run.outcome == ConversionOutcome::Converted) {
      ++converted;
      rows.push_back({"converted", entry.input, "-> " + ShownOutputFiles(run)});
      if (!options.quiet) std::cout << VisibleText(SummaryLine(run)) << '\n' << std::flush;
      continue;
    }
    ++failed;
    rows.push_back({OutcomeName(run.outcome), entry.input,
                    run.messages.empty() ? std::string("(no message)") : OneLine(run.messages.front().text)});
    if (run.outcome == ConversionOutcome::Interrupted || CliHost::Interrupted()) {
      interrupted = true;
      break;
    }
  }
  std::cout << '\n';
  for (const Row& row : rows) {
    std::string status = row.status;
    status.resize(std::max<size_t>(status.size(), 12), ' ');
    std::cout << status << VisibleText(row.input) << "  " << VisibleText(row.detail) << '\n';
  }
  std::cout << converted << " converted, " << failed << " failed, " << skipped << " skipped";
  if (interrupted) std::cout << ", interrupted (" << entries.size() - rows.size() << " not started)";
  std::cout << '\n' << std::flush;
  if (interrupted) return 130;
  return failed > 0 ? 1 : 0;
}
