// The man pages against the programs' --help: every command and option the help lists is
// in the page (an option of a command in that command's part of the page), and the pages
// render without warnings.
#include <gtest/gtest.h>

#include <unistd.h>

#include <regex>
#include <sstream>

#include "RecordingHost.h"
#include "RunProcess.h"
#include "HelpListing.h"

namespace {

struct Program {
  std::string path;
  std::string manPage;  // as built, the version filled in
};

std::vector<Program> Programs() {
  std::vector<Program> programs = {{TRAVO_CLI_PATH, TRAVO_CLI_MAN_PAGE}};
#ifdef TRAVO_WIZARD_PATH
  programs.push_back({TRAVO_WIZARD_PATH, TRAVO_WIZARD_MAN_PAGE});
#endif
  return programs;
}

// Runs program with args, with no display: the wizard must answer without a window.
ProcessResult RunWithoutDisplay(const TempDir& dir, const std::string& program, std::vector<std::string> args) {
  args.insert(args.begin(), {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", program});
  return RunProcess("/usr/bin/env", args, dir.path().string());
}

// The page's roff source as words: font changes dropped, escaped hyphens plain.
std::string PlainRoff(const std::string& roff) {
  std::string text = std::regex_replace(roff, std::regex(R"(\\f[BIRP])"), "");
  return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

// The part of a page from the line `heading` to the next heading of its level or above.
std::string Part(const std::string& page, const std::string& heading) {
  const size_t start = page.find("\n" + heading + "\n");
  if (start == std::string::npos) return {};
  const size_t body = start + heading.size() + 2;
  size_t end = page.size();
  for (const char* next : {"\n.SH ", "\n.SS "}) {
    if (heading.rfind(".SS", 0) != 0 && std::string(next) == "\n.SS ") continue;
    end = std::min(end, page.find(next, body));
  }
  return page.substr(body, end - body);
}

// word stands in text on its own, not as a part of a longer option or name.
bool HasWord(const std::string& text, const std::string& word) {
  const std::regex alone("(^|[^-A-Za-z0-9])" + std::regex_replace(word, std::regex(R"([.+])"), R"(\$&)") +
                         "($|[^-A-Za-z0-9])");
  return std::regex_search(text, alone);
}

// The options a help text lists: the names on its option lines ("  --kind K  ...",
// "  -h, --help  ...").
std::vector<std::string> ListedOptions(const std::string& help) {
  std::vector<std::string> options;
  std::istringstream lines(help);
  const std::regex name("-{1,2}[A-Za-z][-A-Za-z]*");
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  -", 0) != 0) continue;
    const std::string names = line.substr(0, line.find("  ", 2));
    for (std::sregex_iterator it(names.begin(), names.end(), name), end; it != end; ++it) options.push_back(it->str());
  }
  return options;
}

TEST(ManPages, ListEverythingTheHelpLists) {
  TempDir dir;
  for (const Program& program : Programs()) {
    SCOPED_TRACE(program.manPage);
    const std::string page = PlainRoff(ReadTextFile(program.manPage));
    ASSERT_FALSE(page.empty());
    EXPECT_NE(page.find("\"travo-convert " TRAVO_PROJECT_VERSION "\""), std::string::npos) << "the version";
    ProcessResult help = RunWithoutDisplay(dir, program.path, {"--help"});
    ASSERT_EQ(help.status, 0) << help.err;
    const std::vector<std::string> options = ListedOptions(help.out);
    EXPECT_FALSE(options.empty());
    for (const std::string& option : options) EXPECT_TRUE(HasWord(page, option)) << option;
    for (const std::string& command : ListedCommands(help.out)) {
      SCOPED_TRACE(command);
      EXPECT_TRUE(HasWord(Part(page, ".SH COMMANDS"), ".B " + command));
      const std::string options = Part(page, ".SS " + command);
      ProcessResult commandHelp = RunWithoutDisplay(dir, program.path, {command, "--help"});
      ASSERT_EQ(commandHelp.status, 0) << commandHelp.err;
      for (const std::string& option : ListedOptions(commandHelp.out)) {
        if (option == "-h" || option == "--help") continue;  // in "Every command"
        EXPECT_TRUE(HasWord(options, option)) << option << " is not under .SS " << command;
      }
    }
  }
}

// groff's and man's warnings (-ww: all of groff's).
TEST(ManPages, RenderWithoutWarnings) {
  TempDir dir;
  const bool groff = access("/usr/bin/groff", X_OK) == 0;
  const bool man = access("/usr/bin/man", X_OK) == 0;
  if (!groff && !man) GTEST_SKIP() << "neither groff nor man is installed";
  for (const Program& program : Programs()) {
    SCOPED_TRACE(program.manPage);
    std::vector<std::string> commands;
    if (groff) commands.push_back("groff -man -Tutf8 -ww -z \"$0\"");
    if (man) commands.push_back("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l \"$0\" >/dev/null");
    for (const std::string& command : commands) {
      ProcessResult r = RunProcess("/bin/sh", {"-c", command, program.manPage}, dir.path().string());
      EXPECT_EQ(r.status, 0) << command;
      EXPECT_EQ(r.err, "") << command;
    }
  }
}

}  // namespace
