#include "libs/data/DataRun.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <set>

#include "libs/data/LineReader.h"
#include "libs/util/CodePage.h"
#include "libs/util/FileNames.h"
#include "libs/util/SafeFile.h"
#include "libs/util/TextTools.h"

namespace {

namespace fs = std::filesystem;

// Lines whose record type belongs to no table are named one by one up to this many; the
// rest are counted in one message.
constexpr long kNamedUnknownLines = 100;
// Progress is updated, and Cancel looked at, once per this many lines.
constexpr long kLinesPerProgressStep = 8192;

// A file name for a table: its name less the characters no file name may hold.
std::string FileStem(const std::string& name) {
  std::string stem;
  for (unsigned char c : name) stem += c == '/' || c < 0x20 || c == 0x7F ? '_' : static_cast<char>(c);
  if (stem.empty() || stem == "." || stem == "..") stem = "_" + stem;
  return stem;
}

// One file name per table, told apart by a suffix where two names would be one file.
std::vector<std::string> TablePaths(const DataLayout& layout, const std::string& folder, DataFormat format) {
  std::vector<std::string> paths;
  std::set<std::string> stems;
  for (const DataTable& table : layout.Tables()) {
    const std::string stem = FileStem(table.name);
    std::string unique = stem;
    for (int k = 2; stems.count(unique); ++k) unique = stem + "_" + std::to_string(k);
    stems.insert(unique);
    paths.push_back((fs::path(folder) / (unique + "." + DataFormatExtension(format))).string());
  }
  return paths;
}

std::string Capitalized(std::string word) {
  if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 'a' + 'A');
  return word;
}

// The data file, open for reading; closed when it goes.
class DataFile {
 public:
  explicit DataFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)), err_(errno) {}
  ~DataFile() {
    if (fd_ >= 0) close(fd_);
  }
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;
  int Fd() const { return fd_; }
  int OpenError() const { return err_; }
  // Back to the start for another pass; false when the file cannot be read twice (a pipe).
  bool Rewind() const { return lseek(fd_, 0, SEEK_SET) == 0; }
  uint64_t Size() const {
    struct stat info {};
    return fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
  }

 private:
  int fd_;
  int err_;
};

// One table being written.
struct TableOutput {
  std::string path;
  long rows = 0;       // lines counted in the first pass, then lines written
  long expected = -1;  // the rows announced to the writer; -1 when it needs no count
  std::unique_ptr<TableWriter> writer;
  bool opened = false;
  bool refused = false;  // cannot be written (or not to be): its lines are left out
  bool reported = false;
};

bool HasHighBytes(std::string_view line) {
  for (unsigned char c : line) {
    if (c >= 0x80) return true;
  }
  return false;
}

class DataRun {
 public:
  DataRun(DataLayout& layout, const DataRunOptions& options, IReporter& reporter, std::ostream& messages,
          DataRunSummary& summary)
      : layout_(layout), options_(options), reporter_(reporter), messages_(messages), summary_(summary) {}

  bool Run() {
    const auto start = std::chrono::steady_clock::now();
    bool ok = RunPasses();
    summary_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok;
  }

 private:
  bool NeedsCounts() const { return options_.format != DataFormat::Csv; }

  bool RunPasses() {
    if (layout_.Tables().empty()) {
      messages_ << "The dictionary has no " << layout_.TableWord() << ": no line can be read.\n";
      return false;
    }
    DataFile data(options_.dataPath);
    if (data.Fd() < 0) {
      messages_ << "Cannot read " << options_.dataPath << ": " << std::strerror(data.OpenError()) << ".\n";
      return false;
    }
    std::error_code ec;
    if (fs::is_directory(options_.dataPath, ec)) {
      messages_ << options_.dataPath << " is a folder, not a file.\n";
      return false;
    }
    if (!PrepareFolder()) return false;
    const std::vector<std::string> paths = TablePaths(layout_, options_.folder, options_.format);
    for (const std::string& path : paths) {
      outputs_.emplace_back();
      outputs_.back().path = path;
    }
    size_ = data.Size();
    progress_ = options_.showProgress ? reporter_.OpenProgress() : nullptr;
    if (progress_) progress_->SetRange(0, 1000);
    if (NeedsCounts()) {
      if (!CountPass(data)) return Finish(false);
      if (!data.Rewind()) {
        messages_ << "Cannot read " << options_.dataPath << " a second time: " << std::strerror(errno) << ".\n";
        broken_ = true;
        return Finish(false);
      }
      OpenCountedTables();
    }
    return Finish(WritePass(data));
  }

  bool PrepareFolder() {
    const std::string& folder = options_.folder;
    std::error_code ec;
    if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) {
      messages_ << "Cannot write into " << folder << ": it is not a folder.\n";
      return false;
    }
    if (fs::is_directory(folder, ec)) return true;
    std::string error;
    if (MakeFolder(folder, &error)) return true;
    messages_ << error << '\n';
    return false;
  }

  // Where a pass stands; false once Cancel was pressed.
  bool Step(const LineReader& reader, long lineNo) {
    if (lineNo % kLinesPerProgressStep != 0 || !progress_) return true;
    if (size_ > 0) {
      const uint64_t done = (NeedsCounts() && passes_ == 2 ? size_ : 0) + reader.BytesRead();
      progress_->SetPos(static_cast<int>(done * 1000 / (size_ * static_cast<uint64_t>(NeedsCounts() ? 2 : 1))));
    }
    if (!progress_->CancelPressed()) return true;
    summary_.interrupted = true;
    broken_ = true;
    return false;
  }

  // The first pass: the lines of each table, and how many bytes its texts take in UTF-8
  // (a field of n characters can need more than n bytes).
  bool CountPass(const DataFile& data) {
    passes_ = 1;
    LineReader reader(data.Fd());
    std::string_view line;
    long lineNo = 0;
    std::vector<DataCell> cells;
    while (reader.Next(line, layout_.LineBytes())) {
      if (!Step(reader, ++lineNo)) return false;
      const int table = layout_.TableOf(line);
      if (table < 0) continue;
      ++outputs_[static_cast<size_t>(table)].rows;
      if (HasHighBytes(line) && layout_.TableProblem(table).empty()) WidenTexts(table, line, cells);
    }
    return ReadToEnd(reader);
  }

  void WidenTexts(int table, std::string_view line, std::vector<DataCell>& cells) {
    cells.clear();  // the cells of another table are not this one's texts
    layout_.ReadTexts(table, line, cells);
    std::vector<int>& widths = TextWidths(table);
    for (size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
      if (cells[i].kind == DataCell::Kind::Text) widths[i] = std::max(widths[i], static_cast<int>(cells[i].text.size()));
    }
  }

  std::vector<int>& TextWidths(int table) {
    if (textWidths_.empty()) {
      for (const DataTable& t : layout_.Tables()) {
        std::vector<int> widths;
        for (const DataColumn& column : t.columns) widths.push_back(column.width);
        textWidths_.push_back(std::move(widths));
      }
    }
    return textWidths_[static_cast<size_t>(table)];
  }

  // The table as its writer gets it: text columns as wide as their longest UTF-8 text.
  DataTable Widened(int table) {
    DataTable copy = layout_.Tables()[static_cast<size_t>(table)];
    if (textWidths_.empty()) return copy;
    const std::vector<int>& widths = textWidths_[static_cast<size_t>(table)];
    for (size_t i = 0; i < copy.columns.size(); ++i) {
      if (!copy.columns[i].numeric) copy.columns[i].width = widths[i];
    }
    return copy;
  }

  void OpenCountedTables() {
    for (size_t t = 0; t < outputs_.size(); ++t) {
      TableOutput& out = outputs_[t];
      out.expected = out.rows;
      out.rows = 0;
      if (out.expected > 0 && layout_.TableProblem(static_cast<int>(t)).empty()) Open(static_cast<int>(t));
    }
  }

  // Starts a table's file, after the question about replacing it; false when it is not written.
  bool Open(int table) {
    TableOutput& out = outputs_[static_cast<size_t>(table)];
    if (out.opened) return true;
    if (out.refused) return false;
    out.refused = true;
    if (options_.askBeforeReplacing && !MayReplaceFile(reporter_, out.path)) {
      messages_ << out.path << " is kept: the lines of " << layout_.TableWord() << " "
                << VisibleText(layout_.Tables()[static_cast<size_t>(table)].name) << " are not written.\n";
      failed_ = true;
      return false;
    }
    out.writer = MakeTableWriter(options_.format);
    std::string error;
    if (!out.writer) {
      messages_ << "Cannot write " << out.path << ": this build has no writer for ." << DataFormatExtension(options_.format)
                << " files.\n";
      failed_ = true;
      return false;
    }
    if (!out.writer->Begin(out.path, Widened(table), out.expected, layout_.Label(), error)) {
      messages_ << error << '\n';
      failed_ = true;
      out.writer.reset();
      return false;
    }
    for (const std::string& note : out.writer->Notes()) Note(note);
    out.refused = false;
    out.opened = true;
    return true;
  }

  void Note(const std::string& note) {
    if (!notesShown_.insert(note).second) return;
    summary_.notes.push_back(note);
    messages_ << VisibleText(note) << '\n';
  }

  bool WritePass(const DataFile& data) {
    passes_ = 2;
    LineReader reader(data.Fd());
    std::string_view line;
    std::vector<DataCell> cells;
    long lineNo = 0;
    while (reader.Next(line, layout_.LineBytes())) {
      if (!Step(reader, ++lineNo)) return false;
      const int table = layout_.TableOf(line);
      if (table < 0) {
        RefuseUnknown(line, lineNo);
        continue;
      }
      if (!Writable(table)) {
        ++summary_.refusedLines;
        continue;
      }
      layout_.ReadLine(table, line, cells);
      for (const DataCell& cell : cells) summary_.markedMissing += cell.IsMarkedMissing() ? 1 : 0;
      TableOutput& out = outputs_[static_cast<size_t>(table)];
      out.writer->Row(lineNo, cells);
      ++out.rows;
    }
    if (!ReadToEnd(reader)) return false;
    if (unknown_ > kNamedUnknownLines)
      messages_ << (unknown_ - kNamedUnknownLines) << " more lines of " << options_.dataPath
                << " whose record type belongs to no " << layout_.TableWord() << " were left out.\n";
    return !failed_;
  }

  void RefuseUnknown(std::string_view line, long lineNo) {
    failed_ = true;
    ++summary_.refusedLines;
    if (++unknown_ <= kNamedUnknownLines)
      messages_ << "Line " << lineNo << " of " << options_.dataPath << ": record type \""
                << VisibleText(OemToHost(layout_.RecordTypeOf(line))) << "\" belongs to no " << layout_.TableWord()
                << "; the line is left out.\n";
  }

  // True when the table's lines can be written; says once why they cannot.
  bool Writable(int table) {
    TableOutput& out = outputs_[static_cast<size_t>(table)];
    if (out.opened) return true;
    if (const std::string problem = layout_.TableProblem(table); !problem.empty()) {
      failed_ = true;
      if (!out.reported)
        messages_ << Capitalized(layout_.TableWord()) << " "
                  << VisibleText(layout_.Tables()[static_cast<size_t>(table)].name) << " cannot be read: " << problem
                  << "; its lines are left out.\n";
      out.reported = true;
      out.refused = true;
      return false;
    }
    return Open(table);
  }

  bool ReadToEnd(const LineReader& reader) {
    if (reader.Error() == 0) return true;
    broken_ = true;
    messages_ << "Cannot read " << options_.dataPath << ": " << std::strerror(reader.Error()) << ".\n";
    return false;
  }

  // Commits every file when the data was read to its end (lines left out or not), drops
  // them all when it was not: a read error or Cancel.
  bool Finish(bool passed) {
    if (progress_) progress_->Close();
    const bool whole = !broken_;
    bool ok = passed;
    for (size_t t = 0; t < outputs_.size(); ++t) {
      TableOutput& out = outputs_[t];
      if (!out.opened) continue;
      if (!whole) {
        out.writer->Abandon();
        continue;
      }
      std::string error;
      if (!out.writer->Commit(error)) {
        messages_ << error << '\n';
        ok = false;
        continue;
      }
      for (const std::string& note : out.writer->Notes()) Note(note);  // also those found in the rows
      summary_.tables.push_back({layout_.Tables()[t].name, out.path, out.rows});
    }
    return ok;
  }

  DataLayout& layout_;
  const DataRunOptions& options_;
  IReporter& reporter_;
  std::ostream& messages_;
  DataRunSummary& summary_;
  std::vector<TableOutput> outputs_;
  std::vector<std::vector<int>> textWidths_;  // per table and column; empty when nothing was widened
  std::set<std::string> notesShown_;
  std::unique_ptr<IProgressWindow> progress_;
  uint64_t size_ = 0;
  int passes_ = 0;
  long unknown_ = 0;
  bool failed_ = false;  // something was left out
  bool broken_ = false;  // the data was not read to its end
};

}  // namespace

bool WriteDataTables(DataLayout& layout, const DataRunOptions& options, IReporter& reporter, std::ostream& messages,
                     DataRunSummary& summary) {
  return DataRun(layout, options, reporter, messages, summary).Run();
}

std::string DataSummaryLine(const DataRunSummary& summary, const std::string& folder) {
  std::string line = "wrote " + std::to_string(summary.tables.size()) +
                     (summary.tables.size() == 1 ? " table" : " tables") + " into " + folder;
  for (size_t i = 0; i < summary.tables.size(); ++i) {
    line += (i == 0 ? ": " : ", ") + summary.tables[i].name + " " + std::to_string(summary.tables[i].rows);
  }
  if (!summary.tables.empty()) line += " records";
  line += "; " + std::to_string(summary.markedMissing) + " values marked missing";
  line += "; " + std::to_string(summary.refusedLines) + (summary.refusedLines == 1 ? " line" : " lines") + " refused";
  if (!summary.notes.empty())
    line += "; " + std::to_string(summary.notes.size()) + (summary.notes.size() == 1 ? " label or name" : " labels or names") +
            " not carried as they stand";
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "; %.2f s", summary.seconds);
  return line + seconds;
}
