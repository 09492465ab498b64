// Every kind of output the command-line tool writes, put through the faults a user's machine
// can throw at it: a full disk, a kill at any moment, folders and files that refuse, an input
// that changes while it is read, two conversions at once. After each the output is the
// previous file byte for byte or a whole new one that opens again; a failure exits non-zero
// naming the file; no temporary file is left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "CliRun.h"
#include "Files.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "VeskBuilder.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = TRAVO_CLI_PATH;
const std::string kPrevious = "the previous output, which must survive\n";

// ---------------------------------------------------------------- the inputs

// An ORVA 4.1 dictionary of records x items, each item with a value set.
std::string OrvaText(int records, int items) {
  std::string text = "[Dictionary]\nVersion=ORVA 4.1\nLabel=Fault survey\nName=FAULT\nRecordTypeStart=1\n"
                     "RecordTypeLen=2\n\n[Common]\nName=ID\n\n[Item]\nName=ID1\nStart=3\nLen=5\nDataType=Numeric\n\n";
  for (int r = 0; r < records; ++r) {
    const std::string rec = std::to_string(r);
    text += "[Record]\nLabel=Record " + rec + "\nName=REC" + rec + "\nRecordTypeValue=" + (r < 10 ? "0" : "") + rec +
            "\nMaxRecords=5\n\n";
    for (int i = 0; i < items; ++i) {
      const std::string name = "Q" + rec + "X" + std::to_string(i);
      text += "[Item]\nLabel=Question " + name + " of the survey\nName=" + name + "\nStart=" + std::to_string(8 + i) +
              "\nLen=1\nDataType=Numeric\n\n[ValueSet]\nValue=1;Yes\nValue=2;No\nValue=9;Refused\n\n";
    }
  }
  return text;
}

// A VESK dictionary with one section of variables, a form for every ten of them.
vesktest::VeskBuilder VeskSurvey(int variables) {
  vesktest::VeskBuilder b;
  b.Header({});
  b.Section({.name = "HH", .code = "1"});
  for (int v = 0; v < variables; ++v) {
    const std::string form = "F" + std::to_string(v / 10);
    b.Variable({.name = "V" + std::to_string(v), .start = static_cast<int16_t>(5 + 2 * v), .len = 2, .form = form,
                .row = static_cast<uint8_t>(v % 10), .col = 12});
  }
  for (int f = 0; f * 10 < variables; ++f) {
    std::string text;
    for (int row = 0; row < 10; ++row) text += "Question " + std::to_string(f * 10 + row) + " [  ]\n";
    b.Form({.name = "F" + std::to_string(f), .fields = 10, .text = text});
  }
  return b;
}

struct Inputs {
  std::string ddw, dcf, dic, data, fmf;
};

// Made once: large enough that a conversion takes a while to write.
const Inputs& MadeInputs() {
  static TempDir folder;
  static Inputs inputs = [] {
    Inputs in{folder.file("big.ddw"), folder.file("small.dcf"), folder.file("survey.dic"), folder.file("data.txt"),
              folder.file("survey.fmf")};
    WriteFile(in.ddw, OrvaText(30, 500));
    WriteFile(folder.file("small.ddw"), OrvaText(2, 400));
    Cli(folder, {"convert", "--yes", folder.file("small.ddw"), in.dcf});
    VeskSurvey(60).WriteTo(in.dic);
    Cli(folder, {"convert", "--yes", in.dic, in.fmf});
    std::string data;
    for (int line = 0; line < 40000; ++line) {
      data += std::to_string(100 + line % 900) + "1";
      for (int v = 0; v < 60; ++v) data += std::to_string(10 + (line + v) % 90);
      data += "\r\n";
    }
    WriteFile(in.data, data);
    return in;
  }();
  return inputs;
}

// ---------------------------------------------------------------- the outputs

enum class Check { Inspect, SameAsClean, Log };

struct OutputKind {
  const char* name;
  // The command writing out (a file, or a folder for folder kinds) from inputs.
  std::function<std::vector<std::string>(const Inputs&, const std::string& out)> command;
  // The input that is read while the output is written.
  std::string Inputs::*input;
  bool folder;
  Check check;
  std::string file = "out";  // the output file, inside out for folder kinds
};

void PrintTo(const OutputKind& kind, std::ostream* out) { *out << kind.name; }

std::vector<OutputKind> Kinds() {
  return {
      {"dcf", [](const Inputs& in, const std::string& out) {
         return std::vector<std::string>{"convert", "--yes", in.ddw, out + ".dcf"};
       }, &Inputs::ddw, false, Check::Inspect},
      {"dd", [](const Inputs& in, const std::string& out) {
         return std::vector<std::string>{"convert", "--yes", "--kind", "to-orva31", in.dcf, out + ".dd"};
       }, &Inputs::dcf, false, Check::Inspect},
      {"fmf", [](const Inputs& in, const std::string& out) {
         return std::vector<std::string>{"convert", "--yes", in.dic, out + ".fmf"};
       }, &Inputs::dic, false, Check::Inspect},
      {"report", [](const Inputs& in, const std::string& out) {
         return std::vector<std::string>{"vesk-report", in.dic, "-o", out + ".txt"};
       }, &Inputs::dic, false, Check::SameAsClean},
      {"html", [](const Inputs& in, const std::string& out) {
         return std::vector<std::string>{"vesk-html", in.dic, "-d", out};
       }, &Inputs::dic, true, Check::SameAsClean},
      {"csv", [](const Inputs& in, const std::string& out) {
         return std::vector<std::string>{"vesk-data", in.dic, in.data, "-d", out};
       }, &Inputs::data, true, Check::SameAsClean},
      {"svg", [](const Inputs& in, const std::string& out) {
         return std::vector<std::string>{"preview", in.fmf, "-d", out};
       }, &Inputs::fmf, true, Check::SameAsClean},
      {"log", [](const Inputs& in, const std::string& out) {
         return std::vector<std::string>{"convert", "--yes", "--log", out + ".log", in.ddw, out + "-converted.dcf"};
       }, &Inputs::ddw, false, Check::Log},
  };
}

// ---------------------------------------------------------------- running the tool

struct Launch {
  std::vector<std::string> args;
  rlim_t fileSizeLimit = RLIM_INFINITY;  // bytes, as a full disk would stop the writes
  bool namedTempFiles = false;
};

pid_t Start(const Launch& launch, const std::string& scratch, int slot = 0) {
  const std::string out = scratch + "/.stdout" + std::to_string(slot), err = scratch + "/.stderr" + std::to_string(slot);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    if (launch.fileSizeLimit != RLIM_INFINITY) {
      signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail with EFBIG instead
      const struct rlimit limit = {launch.fileSizeLimit, launch.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (launch.namedTempFiles) setenv("TRAVO_NAMED_TEMP_FILES", "1", 1);
    std::vector<char*> argv{const_cast<char*>(kCli.c_str())};
    for (const auto& a : launch.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(kCli.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

ProcessResult Finish(pid_t pid, const std::string& scratch, int slot = 0) {
  int raw = 0;
  waitpid(pid, &raw, 0);
  ProcessResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  r.out = ReadTextFile(scratch + "/.stdout" + std::to_string(slot));
  r.err = ReadTextFile(scratch + "/.stderr" + std::to_string(slot));
  return r;
}

ProcessResult RunTool(const Launch& launch, const std::string& scratch) { return Finish(Start(launch, scratch), scratch); }

void SleepMicroseconds(long us) { std::this_thread::sleep_for(std::chrono::microseconds(us)); }

// ---------------------------------------------------------------- the fixture

class Faults : public ::testing::TestWithParam<OutputKind> {
 protected:
  const OutputKind& kind = GetParam();
  TempDir dir;
  std::string outBase = dir.file("out");

  void SetUp() override {
    const Inputs& in = MadeInputs();
    fs::create_directories(dir.file("clean"));
    const std::string cleanBase = dir.file("clean/out");
    const auto start = std::chrono::steady_clock::now();
    const ProcessResult r = RunTool({kind.command(in, cleanBase)}, dir.path());
    cleanMicroseconds = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(r.status, 0) << r.err;
    if (kind.folder) file = LargestFileIn(cleanBase);
    cleanPath = OutputFile(cleanBase);
    ASSERT_TRUE(fs::is_regular_file(cleanPath)) << cleanPath;
    clean = ReadTextFile(cleanPath);
  }

  static std::string LargestFileIn(const std::string& folder) {
    std::string largest;
    uintmax_t size = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
      if (e.is_regular_file() && e.file_size() >= size) {
        size = e.file_size();
        largest = e.path().filename().string();
      }
    }
    return largest;
  }

  // The file of the output under base (the name the command gives it).
  std::string OutputFile(const std::string& base) const {
    if (kind.folder) return base + "/" + file;
    static const std::map<std::string, std::string> ext = {{"dcf", ".dcf"}, {"dd", ".dd"},    {"fmf", ".fmf"},
                                                           {"report", ".txt"}, {"log", ".log"}};
    return base + ext.at(kind.name);
  }
  std::string Output() const { return OutputFile(outBase); }
  std::string OutputFolder() const { return fs::path(Output()).parent_path().string(); }
  Launch Command() const { return {kind.command(MadeInputs(), outBase)}; }

  // What a previous output holds: a log keeps earlier blocks, so its is a whole block.
  std::string PreviousText() const {
    return kind.check == Check::Log ? std::string(100000, '#') + "\n\n" : kPrevious;
  }
  void PutPrevious() {
    fs::create_directories(OutputFolder());
    WriteFile(Output(), PreviousText());
  }

  bool Whole(const std::string& path) const {
    const std::string text = ReadTextFile(path);
    switch (kind.check) {
      case Check::Inspect: return Cli(dir, {"inspect", path}).status == 0;
      case Check::SameAsClean: return text == clean;
      case Check::Log: {
        const std::string earlier = PreviousText();
        return text.size() > earlier.size() && text.compare(0, earlier.size(), earlier) == 0 &&
               text.compare(earlier.size(), 6, "date: ") == 0 && text.size() >= 2 &&
               text.compare(text.size() - 2, 2, "\n\n") == 0 && text.find("outcome: ", earlier.size()) != std::string::npos;
      }
    }
    return false;
  }

  // The output after a run: the previous file, a whole new one, or (when there was none)
  // nothing at all.
  void ExpectPreviousOrWhole(const std::string& path, bool hadPrevious = true) const {
    if (!hadPrevious && !fs::exists(path)) return;
    ASSERT_TRUE(fs::is_regular_file(path)) << path;
    if (ReadTextFile(path) == PreviousText()) return;
    EXPECT_TRUE(Whole(path)) << path << " is neither the previous output nor a whole new one";
  }

  static std::vector<std::string> TempFilesIn(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.rfind(".travo-", 0) == 0 || name.find(".tmp") != std::string::npos) found.push_back(it->path());
    }
    return found;
  }
  void ExpectNoTempFiles(const std::string& folder) const {
    EXPECT_EQ(TempFilesIn(folder), std::vector<std::string>{}) << "temporary files left in " << folder;
  }

  // A CSV table written from data that changed while it was read: the clean run's header,
  // then rows in the order of their line numbers, each one the clean run's row for some
  // line (its values, whatever its number) or one holding bytes of the change (DEL).
  // Data cut short may end in a line cut part-way; otherwise the table goes on to the
  // clean run's last row.
  bool IsTableOfWhatWasRead(const std::string& table, bool cutShort) const {
    const auto rows = CsvRows(table), cleanRows = CsvRows(clean);
    if (rows.empty() || cleanRows.empty() || rows.front() != cleanRows.front()) return false;
    std::set<std::string> cleanValues;
    for (size_t i = 1; i < cleanRows.size(); ++i) cleanValues.insert(ValuesOf(cleanRows[i]));
    long lastLine = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
      const long line = std::atol(rows[i].c_str());
      if (line <= lastLine) return false;
      lastLine = line;
      const bool cutLine = cutShort && i + 1 == rows.size();
      if (!cutLine && rows[i].find('\x7f') == std::string::npos && !cleanValues.count(ValuesOf(rows[i]))) return false;
    }
    return cutShort || ValuesOf(rows.back()) == ValuesOf(cleanRows.back());
  }
  static std::vector<std::string> CsvRows(const std::string& table) {
    std::vector<std::string> rows;
    for (size_t start = 0, end; start < table.size(); start = end + 2) {
      end = table.find("\r\n", start);
      if (end == std::string::npos) end = table.size();
      rows.push_back(table.substr(start, end - start));
    }
    return rows;
  }
  // A row without its first cell, the line number.
  static std::string ValuesOf(const std::string& row) { return row.substr(std::min(row.find(','), row.size())); }

  // A whole file of the output: for outputs checked against the clean run, the same as one
  // of that run's files (a folder output has several).
  bool WholeLeftover(const std::string& path) const {
    if (kind.check != Check::SameAsClean) return Whole(path);
    const std::string text = ReadTextFile(path);
    for (const auto& entry : fs::recursive_directory_iterator(dir.file("clean"))) {
      if (entry.is_regular_file() && ReadTextFile(entry.path()) == text) return true;
    }
    return false;
  }

  // No run leaves a temporary file, with one exception no file system call can close: a
  // kill between the two steps that put a whole new file in place of an existing one (its
  // link under a hidden name, then the rename over the target) leaves that whole file under
  // the hidden name; never a part of one. Each moment is judged alone: such a file is
  // removed once checked.
  void ExpectNoPartialTempFiles(const ProcessResult& r) const {
    const std::vector<std::string> left = TempFilesIn(dir.path());
    if (r.status != 128 + SIGKILL) {
      ExpectNoTempFiles(dir.path());
      return;
    }
    EXPECT_LE(left.size(), 1u) << "temporary files left in " << dir.path();
    for (const std::string& path : left) {
      EXPECT_TRUE(WholeLeftover(path)) << path << " is a part of an output, left by a kill";
      std::error_code ec;
      fs::remove(path, ec);
    }
  }

  // A clean failure names the output's folder or a file in it; a success leaves a whole
  // output.
  void ExpectOutcome(const ProcessResult& r) const {
    if (r.status == 0) {
      EXPECT_TRUE(Whole(Output())) << "reported written, but not whole: " << Output();
    } else {
      EXPECT_NE(r.err.find(OutputFolder()), std::string::npos) << "the message names the output:\n" << r.err;
    }
  }

  // Runs the command with a copy of the input that act changes d microseconds after the
  // start, for moments spread over a clean run; the input copy is made afresh each time.
  template <typename Act>
  void AtSpreadMoments(int moments, Act act, bool namedTempFiles = false) {
    for (int m = 0; m < moments; ++m) {
      const long at = cleanMicroseconds * m / moments;
      Launch launch = Command();
      launch.namedTempFiles = namedTempFiles;
      const pid_t pid = Start(launch, dir.path());
      SleepMicroseconds(at);
      act(pid, m);
      const ProcessResult r = Finish(pid, dir.path());
      SCOPED_TRACE("moment " + std::to_string(at) + " us, status " + std::to_string(r.status));
      ExpectPreviousOrWhole(Output());
      ExpectNoPartialTempFiles(r);
      if (HasFailure()) return;
    }
  }

  long cleanMicroseconds = 0;
  std::string file;       // the checked file's name inside a folder output
  std::string cleanPath;  // the same file from a run without faults
  std::string clean;      // and its content
};

bool Privileged() { return geteuid() == 0; }

TEST_P(Faults, TheDiskFillsUpPartWay) {
  for (bool named : {false, true}) {
    SCOPED_TRACE(named ? "named temporary file" : "unnamed temporary file");
    PutPrevious();
    // The largest file stops half-way; a log stops half-way through its new block.
    Launch launch = Command();
    launch.fileSizeLimit = kind.check == Check::Log ? PreviousText().size() + 40 : clean.size() / 2;
    launch.namedTempFiles = named;
    const ProcessResult r = RunTool(launch, dir.path());
    EXPECT_NE(r.status, 0);
    if (kind.check != Check::Log) {
      EXPECT_EQ(ReadTextFile(Output()), PreviousText());
    }
    ExpectPreviousOrWhole(Output());
    EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
    ExpectNoTempFiles(dir.path());
  }
}

TEST_P(Faults, KilledAtAnyMoment) {
  PutPrevious();
  AtSpreadMoments(50, [](pid_t pid, int) { kill(pid, SIGKILL); });
}

TEST_P(Faults, TheInputChangesOrIsCutShortWhileRead) {
  const std::string original = MadeInputs().*kind.input;
  const std::string copy = dir.file("input" + fs::path(original).extension().string());
  const std::string content = ReadTextFile(original);
  Inputs in = MadeInputs();
  in.*kind.input = copy;
  const auto command = kind.command;
  for (int m = 0; m < 12; ++m) {
    PutPrevious();
    WriteFile(copy, content);
    const long at = cleanMicroseconds * m / 12;
    const pid_t pid = Start({command(in, outBase)}, dir.path());
    SleepMicroseconds(at);
    if (m % 2 == 0) {
      truncate(copy.c_str(), static_cast<off_t>(content.size() / 2));
    } else {
      std::fstream change(copy, std::ios::in | std::ios::out | std::ios::binary);
      change.seekp(static_cast<std::streamoff>(content.size() / 3));
      change << std::string(4096, '\x7f');
    }
    const ProcessResult r = Finish(pid, dir.path());
    SCOPED_TRACE("moment " + std::to_string(at) + " us, status " + std::to_string(r.status));
    // Read whole before or after the change, the output is whole; read changed, the tool
    // may refuse the input, or write what it read, which must then open again. Data lines
    // that lost their record type to the change are named and left out (status 1), and
    // the rest is written: the table is then whole for what was read.
    if (r.status != 0) {
      EXPECT_NE(r.err.find(copy), std::string::npos) << r.err;
    }
    if (kind.check == Check::SameAsClean && r.status == 0) {
      EXPECT_TRUE(fs::is_regular_file(Output()));
    } else if (kind.input == &Inputs::data && r.status == 1 && ReadTextFile(Output()) != PreviousText()) {
      const bool cutShort = m % 2 == 0;
      EXPECT_TRUE(IsTableOfWhatWasRead(ReadTextFile(Output()), cutShort)) << r.err;
    } else {
      ExpectPreviousOrWhole(Output());
    }
    ExpectNoTempFiles(dir.path());
    if (HasFailure()) return;
  }
}

TEST_P(Faults, TwoConversionsWriteTheSameOutputAtOnce) {
  PutPrevious();
  for (int round = 0; round < 3; ++round) {
    const pid_t first = Start(Command(), dir.path(), 1);
    const pid_t second = Start(Command(), dir.path(), 2);
    const ProcessResult a = Finish(first, dir.path(), 1), b = Finish(second, dir.path(), 2);
    for (const ProcessResult* r : {&a, &b}) {
      if (r->status != 0) {
        EXPECT_NE(r->err.find(Output()), std::string::npos) << r->err;
      }
    }
    EXPECT_TRUE(a.status == 0 || b.status == 0) << a.err << b.err;
    ExpectPreviousOrWhole(Output());
    if (kind.check != Check::Log) {
      EXPECT_TRUE(Whole(Output()));
    }
    ExpectNoTempFiles(dir.path());
  }
}

// The output's place refuses it: the previous file and whatever is in the way stay.
TEST_P(Faults, TheOutputsPlaceRefusesIt) {
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string named;  // in the message: the input, or the output's folder (or a file in it)
    bool needsUnprivileged;
  };
  const std::string output = Output();
  const std::string folder = OutputFolder();
  const std::string input = MadeInputs().*kind.input;
  const Case cases[] = {
      {"a read-only folder", [&] { PutPrevious(); chmod(folder.c_str(), 0555); }, folder, true},
      {"an unreadable input", [&] { PutPrevious(); chmod(input.c_str(), 0); }, input, true},
      {"a folder where the output goes", [&] { fs::remove_all(output); fs::create_directories(output); }, folder, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needsUnprivileged && Privileged()) {
      ADD_FAILURE() << "runs only without root rights: run through tests/support/unprivileged.sh";
      continue;
    }
    c.prepare();
    const ProcessResult r = RunTool(Command(), dir.path());
    chmod(folder.c_str(), 0755);
    chmod(input.c_str(), 0644);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    if (fs::is_directory(output)) {
      EXPECT_TRUE(fs::is_empty(output));
    } else if (kind.check == Check::Log) {
      ExpectPreviousOrWhole(output);  // the failure is logged
    } else {
      EXPECT_TRUE(ReadTextFile(output) == PreviousText()) << output << " changed";
    }
    ExpectNoTempFiles(dir.path());
    fs::remove_all(folder);
  }
}

// An output in a folder that does not exist: refused, naming it, or written whole with the
// folders made.
TEST_P(Faults, TheOutputsFolderIsMissing) {
  outBase = dir.file("missing/deeper/out");
  const ProcessResult r = RunTool(Command(), dir.path());
  ExpectOutcome(r);
  if (r.status != 0) {
    EXPECT_FALSE(fs::exists(dir.file("missing")));
  }
  ExpectNoTempFiles(dir.path());
}

// An output that is a symbolic link is written through: the link stays, and the file it
// points to is replaced whole, or left as it was.
TEST_P(Faults, AnOutputLinkIsWrittenThrough) {
  fs::create_directories(dir.file("elsewhere"));
  const std::string real = dir.file("elsewhere/real");
  WriteFile(real, PreviousText());
  fs::create_directories(OutputFolder());
  fs::create_symlink(real, Output());
  PutPrevious();  // through the link
  // Killed half-way, the file behind the link is untouched; run through, it is the output.
  AtSpreadMoments(5, [](pid_t pid, int) { kill(pid, SIGKILL); });
  const ProcessResult r = RunTool(Command(), dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(Output()));
  EXPECT_TRUE(Whole(real));
  ExpectNoTempFiles(dir.path());
}

INSTANTIATE_TEST_SUITE_P(Outputs, Faults, ::testing::ValuesIn(Kinds()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
