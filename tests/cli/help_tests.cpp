// End-to-end tests of what travo-convert-cli says about itself: the full help, each
// command's help, the version, and the short usage shown with a usage error.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "CliRun.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "HelpListing.h"

namespace {

const std::vector<std::string> kCommands = {"convert", "inspect",     "compare",   "data",
                                            "preview", "vesk-report", "vesk-html", "vesk-data"};

// The commands the "usage:" block of text names, in order, one per form.
std::vector<std::string> UsageCommands(const std::string& text) {
  std::vector<std::string> commands;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("usage: ", 0) != 0 && line.rfind("       ", 0) != 0) {
      if (!commands.empty()) break;
      continue;
    }
    std::istringstream words(line.substr(7));
    std::string program, command;
    words >> program >> command;
    EXPECT_EQ(program, "travo-convert-cli") << line;
    commands.push_back(command);
  }
  return commands;
}

TEST(CliHelp, FullHelpListsEveryCommandOnStdout) {
  TempDir dir;
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}}) {
    SCOPED_TRACE(Joined(args));
    ProcessResult r = Cli(dir, args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ListedCommands(r.out), kCommands);
    const std::vector<std::string> forms = UsageCommands(r.out);
    for (const std::string& command : kCommands) {
      EXPECT_NE(std::find(forms.begin(), forms.end(), command), forms.end()) << command;
      EXPECT_NE(r.out.find("\nOptions of " + command + ":\n"), std::string::npos) << command;
    }
    EXPECT_NE(r.out.find("--version"), std::string::npos);
    EXPECT_NE(r.out.find("Exit status: 0"), std::string::npos);
  }
}

TEST(CliHelp, EveryCommandShowsItsOwnHelpAndDoesNothingElse) {
  TempDir dir;
  const std::string input = dir.file("in.ddw");
  const std::string output = dir.file("out.dcf");
  for (const std::string& command : kCommands) {
    // Wherever the request stands among other arguments, it is answered and nothing is run.
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{command, "--help"},
                                               {command, "-h"},
                                               {"help", command},
                                               {command, input, output, "--help"},
                                               {command, "--bogus", "-h"}}) {
      SCOPED_TRACE(Joined(args));
      ProcessResult r = Cli(dir, args);
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.err, "");
      const std::vector<std::string> forms = UsageCommands(r.out);
      ASSERT_FALSE(forms.empty()) << r.out;
      for (const std::string& form : forms) EXPECT_EQ(form, command);
      EXPECT_NE(r.out.find("\nOptions:\n"), std::string::npos);
      EXPECT_NE(r.out.find("  -h, --help "), std::string::npos);
    }
  }
  // After "--" a file may be called --help.
  ProcessResult r = Cli(dir, {"convert", "--", "--help", output});
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(std::filesystem::exists(output));
}

TEST(CliHelp, VersionIsOneLineFromTheProject) {
  TempDir dir;
  ProcessResult r = Cli(dir, {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "travo-convert-cli " TRAVO_PROJECT_VERSION "\n");
  EXPECT_EQ(r.err, "");
}

// Every usage error: the problem on the first line, a blank line, the usage lines of the
// command (of every command when there is none), and where to read more.
TEST(CliUsage, ErrorsNameTheProblemAndShowTheShortUsageOfTheirCommand) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    std::string command;  // empty: no command known
    std::string problem;
  } cases[] = {
      {{}, "", "no command given"},
      {{"frobnicate"}, "", "unknown command 'frobnicate'"},
      {{"help", "frobnicate"}, "", "unknown command 'frobnicate'"},
      {{"convert", "--bogus", "a.ddw", "b.dcf"}, "convert", "unknown option '--bogus'"},
      {{"convert", "only-one.ddw"}, "convert", "convert needs an INPUT and an OUTPUT file"},
      {{"convert", "--oem-codepage", "NO-SUCH", "a.ddw", "b.dcf"}, "convert", "unknown code page 'NO-SUCH'"},
      {{"inspect"}, "inspect", "inspect needs one FILE"},
      {{"compare", "a.dcf"}, "compare", "compare needs two files, A and B"},
      {{"preview", "a.fmf"}, "preview", "preview needs one FILE.fmf and -d DIR"},
      {{"vesk-report", "--json", "a.dic"}, "vesk-report", "unknown option '--json'"},
      {{"vesk-html", "a.dic"}, "vesk-html", "vesk-html needs one DIC and -d DIR"},
      {{"vesk-data", "a.dic", "-d"}, "vesk-data", "-d needs a folder"},
      // Every command reads its options with the same parser, as its table entry declares them.
      {{"convert", "--kind", "bad", "--bogus"}, "convert", "unknown conversion kind 'bad'"},
      {{"convert", "-o", "x", "-o"}, "convert", "-o needs a value"},
      {{"convert", "--", "only-one.ddw"}, "convert", "convert needs an INPUT and an OUTPUT file"},
      {{"inspect", "--", "a.dcf"}, "inspect", "unknown option '--'"},
      {{"inspect", "a.dcf", "b.dcf"}, "inspect", "inspect needs one FILE"},
      {{"compare", "--json", "a", "b", "c"}, "compare", "compare needs two files, A and B"},
      {{"preview", "-d", "", "a.fmf"}, "preview", "preview needs one FILE.fmf and -d DIR"},
      {{"preview", "-d"}, "preview", "-d needs a folder"},
      {{"vesk-report", "a.dic", "-o", ""}, "vesk-report", "-o needs a value"},
      {{"vesk-html", "a.dic", "-d", "x", "-d", "y"}, "vesk-html", "-d is given twice"},
      {{"vesk-data", "a.dic", "--", "-d"}, "vesk-data", "vesk-data needs a DIC, a DATA file and -d DIR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Joined(c.args));
    ProcessResult r = Cli(dir, c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("travo-convert-cli: " + c.problem + "\n\nusage: travo-convert-cli ", 0), 0u) << r.err;
    const std::vector<std::string> forms = UsageCommands(r.err);
    if (c.command.empty()) {
      EXPECT_EQ(std::set<std::string>(forms.begin(), forms.end()),
                std::set<std::string>(kCommands.begin(), kCommands.end()));
      EXPECT_TRUE(r.err.ends_with("\nSee 'travo-convert-cli --help' for more.\n")) << r.err;
    } else {
      EXPECT_EQ(forms, std::vector<std::string>(forms.size(), c.command));
      EXPECT_TRUE(r.err.ends_with("\nSee 'travo-convert-cli " + c.command + " --help' for more.\n")) << r.err;
    }
    // Short: the usage lines and the hint, not the options.
    EXPECT_EQ(r.err.find("Options"), std::string::npos);
  }
}

}  // namespace
