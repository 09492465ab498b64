// End-to-end tests of the questions travo-convert-cli asks (replace an existing output?):
// each is shown on stderr with the answer it got and where that came from, and the --log
// record holds the same answer.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>

#include "Files.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "SampleDictionaries.h"

namespace {

namespace fs = std::filesystem;

const std::string kConverted = "ORVA 4.1 Dictionary successfully converted.\n";

std::string Question(const std::string& output) {
  return output + "\n\nThis file already exists.\nDo you want to replace it?\n";
}

// The lines the log holds for the question about output and its answer.
std::string LoggedQuestion(const std::string& output, const std::string& answer) {
  return "message:\n  " + output + "\n  \n  This file already exists.\n  Do you want to replace it?\nanswer: " + answer +
         "\n";
}

// Runs the command-line tool through the shell with redirection applied to it ("<&-"
// closes standard input).
ProcessResult CliRedirected(const TempDir& dir, const std::string& redirection, std::vector<std::string> args) {
  args.insert(args.begin(), {"-c", "exec \"$0\" \"$@\" " + redirection, TRAVO_CLI_PATH});
  return RunProcess("/bin/sh", args, dir.path().string());
}

struct TerminalRun {
  int status = -1;
  std::string output;  // stdout and stderr as the terminal showed them, without carriage returns
};

// Runs the command-line tool on a pseudo-terminal; at each prompt for an answer types the
// next of typed as a user would.
TerminalRun RunOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& typed) {
  TerminalRun run;
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid < 0) return run;
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>(TRAVO_CLI_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(TRAVO_CLI_PATH, argv.data());
    _exit(127);
  }
  size_t answered = 0;
  char buffer[4096];
  for (;;) {
    pollfd ready{terminal, POLLIN, 0};
    if (poll(&ready, 1, 30000) <= 0) {
      ADD_FAILURE() << "the program is still waiting after 30 s";
      kill(pid, SIGKILL);
      break;
    }
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // EIO once the program has ended
    run.output.append(buffer, static_cast<size_t>(n));
    size_t prompts = 0;
    for (size_t at = 0; (at = run.output.find("Answer [y/N] ", at)) != std::string::npos; ++at) ++prompts;
    if (answered < prompts && answered < typed.size()) {
      const std::string& answer = typed[answered++];
      EXPECT_EQ(write(terminal, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
    }
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  close(terminal);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
  return run;
}

TEST(CliQuestions, ShownWithTheirAnswerOnStderrAndInTheLog) {
  TempDir dir;
  const std::string input = dir.file("survey.ddw");
  const std::string output = dir.file("survey.dcf");
  const std::string folderOutput = dir.file("out/survey.dcf");
  WriteFile(input, samples::kOrva41Survey);
  struct Answer {
    bool yes;
    std::string shown;   // on stderr under the question
    std::string logged;  // in the log's answer line
  };
  const Answer noTerminal{false, "(answered no: standard input is not a terminal)",
                          "no (standard input is not a terminal)"};
  const Answer yes{true, "(answered yes: --yes)", "yes (--yes)"};
  struct Case {
    std::string name;
    std::string redirection;  // of the program's standard streams
    std::vector<std::string> args;
    std::string asked;  // the output the question is about
    Answer answer;
  } cases[] = {
      {"no terminal to ask on", "</dev/null", {"convert", "--quiet", input, output}, output, noTerminal},
      {"standard input closed", "<&-", {"convert", "--quiet", input, output}, output, noTerminal},
      {"--yes", "</dev/null", {"convert", "--quiet", "--yes", input, output}, output, yes},
      {"folder form", "</dev/null", {"convert", "--quiet", "-o", dir.file("out"), input}, folderOutput, noTerminal},
      {"folder form, --yes", "</dev/null", {"convert", "--yes", "--quiet", "-o", dir.file("out"), input},
       folderOutput, yes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(c.asked, "previous");
    const std::string log = dir.file(c.name + ".log");
    std::vector<std::string> args = c.args;
    args.insert(args.begin() + 1, {"--log", log});
    ProcessResult r = CliRedirected(dir, c.redirection, args);
    EXPECT_EQ(r.status, c.answer.yes ? 0 : 1);
    EXPECT_EQ(r.err, Question(c.asked) + c.answer.shown + "\n" + (c.answer.yes ? "\n" + kConverted : ""));
    const std::string logged = ReadTextFile(log);
    const std::string next = c.answer.yes ? "message:\n  " + kConverted : "outcome: failed\n";
    EXPECT_NE(logged.find(LoggedQuestion(c.asked, c.answer.logged) + next), std::string::npos) << logged;
    EXPECT_EQ(ReadTextFile(c.asked) == "previous", !c.answer.yes);
  }
}

TEST(CliQuestions, AnsweredOnTheTerminal) {
  TempDir dir;
  const std::string input = dir.file("survey.ddw");
  const std::string output = dir.file("survey.dcf");
  WriteFile(input, samples::kOrva41Survey);
  struct Case {
    std::string typed;
    bool yes;
    std::string shown;
    std::string logged;
  } cases[] = {
      {"y\n", true, "(answered yes: typed)", "yes (typed)"},
      {"no\n", false, "(answered no: typed)", "no (typed)"},
      {"\n", false, "(answered no: typed)", "no (typed)"},
      {"\x04", false, "(answered no: no input)", "no (no input)"},  // Ctrl-D: the input ends
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    WriteFile(output, "previous");
    const std::string log = dir.file("terminal.log");
    fs::remove(log);
    TerminalRun r = RunOnTerminal({"convert", "--quiet", "--log", log, input, output}, {c.typed});
    EXPECT_EQ(r.status, c.yes ? 0 : 1) << r.output;
    // The question, the prompt with what was typed (echoed; Ctrl-D shows nothing), then the
    // answer on a line of its own.
    const std::string echoed = c.typed == "\x04" ? "" : c.typed;
    EXPECT_NE(r.output.find(Question(output) + "Answer [y/N] " + echoed + (echoed.empty() ? "\n" : "") + c.shown + "\n"),
              std::string::npos)
        << r.output;
    EXPECT_NE(ReadTextFile(log).find(LoggedQuestion(output, c.logged)), std::string::npos) << ReadTextFile(log);
    EXPECT_EQ(ReadTextFile(output) == "previous", !c.yes);
  }
}

// A VESK dictionary with three forms.
const std::string kVesk = std::string(TRAVO_SOURCE_DIR) + "/examples/household-vesk.dic";

// Every existing file a conversion would replace is asked about under its own name before
// anything is written, the forms file before its dictionary; a name given but not written
// (its extension replaced) is not asked about. Without a terminal the first question gets
// No and every file stays as it was; --yes answers them all.
TEST(CliQuestions, EveryFileToBeReplacedIsAskedAboutByItsOwnName) {
  TempDir dir;
  WriteFile(dir.file("survey.ddw"), samples::kOrva41Survey);
  ASSERT_EQ(CliRedirected(dir, "</dev/null", {"convert", dir.file("survey.ddw"), dir.file("travo.dcf")}).status, 0);
  struct Case {
    std::string name;
    std::string kind, input, output;
    std::set<std::string> existing;  // in the folder before, each holding "previous"
    std::vector<std::string> asked;  // in order
    std::set<std::string> written;
  } cases[] = {
      {"forms: the dictionary beside them", "4", kVesk, "hh.fmf", {"hh.dcf"}, {"hh.dcf"}, {"hh.fmf", "hh.dcf"}},
      {"forms: both", "4", kVesk, "hh.fmf", {"hh.fmf", "hh.dcf"}, {"hh.fmf", "hh.dcf"}, {"hh.fmf", "hh.dcf"}},
      {"forms named by their dictionary", "4", kVesk, "hh.dcf", {"hh.fmf", "hh.dcf"}, {"hh.fmf", "hh.dcf"},
       {"hh.fmf", "hh.dcf"}},
      {"VESK: the name's extension replaced", "3", kVesk, "hh.xyz", {"hh.xyz", "hh.dcf"}, {"hh.dcf"}, {"hh.dcf"}},
      {"to ORVA 3.1: the name's extension replaced", "2", dir.file("travo.dcf"), "x.xyz", {"x.xyz", "x.dd"},
       {"x.dd"}, {"x.dd"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const bool yes : {false, true}) {
      SCOPED_TRACE(yes ? "--yes" : "no terminal");
      TempDir out;
      for (const std::string& name : c.existing) WriteFile(out.file(name), "previous");
      const std::string log = out.file("convert.log");
      std::vector<std::string> args = {"convert", "--quiet", "--log", log, "--kind", c.kind, c.input,
                                       out.file(c.output)};
      if (yes) args.insert(args.begin() + 1, "--yes");
      ProcessResult r = CliRedirected(dir, "</dev/null", args);
      EXPECT_EQ(r.status, yes ? 0 : 1) << r.err;
      std::string questions, logged;
      for (const std::string& name : c.asked) {
        questions += (questions.empty() ? "" : "\n") + Question(out.file(name)) +
                     (yes ? "(answered yes: --yes)\n" : "(answered no: standard input is not a terminal)\n");
        logged += LoggedQuestion(out.file(name), yes ? "yes (--yes)" : "no (standard input is not a terminal)");
        if (!yes) break;  // a No ends the checks
      }
      EXPECT_EQ(r.err.substr(0, questions.size()), questions);
      if (!yes) {
        EXPECT_EQ(r.err, questions);
      }
      EXPECT_NE(ReadTextFile(log).find(logged), std::string::npos) << ReadTextFile(log);
      std::set<std::string> expected = c.existing, found;
      if (yes) expected.insert(c.written.begin(), c.written.end());
      for (const auto& entry : fs::directory_iterator(out.path())) found.insert(entry.path().filename().string());
      found.erase("convert.log");
      EXPECT_EQ(found, expected);
      for (const std::string& name : c.existing) {
        EXPECT_EQ(ReadTextFile(out.file(name)) == "previous", !(yes && c.written.count(name))) << name;
      }
    }
  }
}

// The questions all come before anything is written: a No after a Yes keeps every file.
TEST(CliQuestions, ANoAfterAYesReplacesNothing) {
  TempDir dir;
  const std::string fmf = dir.file("hh.fmf"), dcf = dir.file("hh.dcf");
  WriteFile(fmf, "previous");
  WriteFile(dcf, "previous");
  TerminalRun r = RunOnTerminal({"convert", "--quiet", "--kind", "4", kVesk, fmf}, {"y\n", "n\n"});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find(Question(fmf) + "Answer [y/N] y\n(answered yes: typed)\n\n" + Question(dcf) +
                          "Answer [y/N] n\n(answered no: typed)\n"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(ReadTextFile(fmf), "previous");
  EXPECT_EQ(ReadTextFile(dcf), "previous");
}

// A closed stdout leaves the log's file number free: the summary line must not land in it.
TEST(CliQuestions, ClosedStandardStreamsAreNotTakenByTheLog) {
  TempDir dir;
  const std::string input = dir.file("survey.ddw");
  WriteFile(input, samples::kOrva41Survey);
  const std::string log = dir.file("convert.log");
  ProcessResult r = CliRedirected(dir, ">&- </dev/null", {"convert", "--log", log, input, dir.file("survey.dcf")});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string logged = ReadTextFile(log);
  EXPECT_EQ(logged.find("wrote "), std::string::npos) << logged;
  EXPECT_EQ(logged.rfind("date: ", 0), 0u) << logged;
  EXPECT_TRUE(logged.ends_with("outcome: converted (1 level, 1 record, 1 item, 1 value set)\n\n")) << logged;
}

}  // namespace
