// The section file reader: line syntax, push-back, skipping, version check, end of file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "RecordingHost.h"
#include "libs/util/SpecFile.h"

namespace {

struct Line {
  std::string command, argument;
  int state;
  int number;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Line& l) {
  return os << "{" << l.command << "|" << l.argument << "|" << l.state << "|" << l.number << "}";
}

class SpecFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  CSpecFile file;

  std::string Write(const std::string& content, const std::string& name = "in.ddw") {
    std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  void OpenText(const std::string& content) { ASSERT_NE(file.Open(Write(content)), 0); }

  std::vector<Line> ReadAll(bool trim = true) {
    std::vector<Line> lines;
    CVornString command, argument;
    while (file.GetLine(command, argument, trim) == 0) {
      lines.push_back({command, argument, file.GetState(), file.GetLineNumber()});
    }
    return lines;
  }
};

TEST_F(SpecFileTest, SplitsLinesIntoCommandAndArgument) {
  const int S = CSpecFile::SF_NOCONTINUE, C = CSpecFile::SF_OK;
  struct Case {
    const char* name;
    std::string content;
    std::vector<Line> lines;
  };
  const std::vector<Case> cases = {
      {"lf", "[Item]\nName=AGE\n1:5\n", {{"[Item]", "", S, 1}, {"Name", "AGE", S, 2}, {"1:5", "", C, 3}}},
      {"crlf", "[Item]\r\nName=AGE\r\n1:5\r\n", {{"[Item]", "", S, 1}, {"Name", "AGE", S, 2}, {"1:5", "", C, 3}}},
      {"no final line end", "Label=Age", {{"Label", "Age", S, 1}}},
      {"blanks trimmed around both parts", "  Label  =  Age of head \t\r\n",
       {{"Label", "Age of head", S, 1}}},
      {"first = splits", "Value=1;a=b\n", {{"Value", "1;a=b", S, 1}}},
      {"empty argument", "Value=\n", {{"Value", "", S, 1}}},
      {"section line with =", "[Odd=1]\n", {{"[Odd=1]", "", S, 1}}},
      {"blank and comment lines skipped, numbers kept",
       "\n   \n; a comment\n  ;indented comment\nName=X\n\t\nLabel=Y\n",
       {{"Name", "X", S, 5}, {"Label", "Y", S, 7}}},
      {"byte order mark", "\xEF\xBB\xBF[Dictionary]\n", {{"[Dictionary]", "", S, 1}}},
      {"empty file", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenText(c.content);
    EXPECT_EQ(ReadAll(), c.lines);
    file.Close();
  }
}

TEST_F(SpecFileTest, WithoutTrimKeepsBlanksButNotTheLineEnd) {
  OpenText(" Key = value \r\n");
  EXPECT_EQ(ReadAll(false), (std::vector<Line>{{" Key ", " value ", CSpecFile::SF_NOCONTINUE, 1}}));
}

TEST_F(SpecFileTest, EndOfFileLeavesTheLastLineAndCannotContinue) {
  OpenText("Value=\n");
  CVornString command, argument;
  ASSERT_EQ(file.GetLine(command, argument), 0);
  EXPECT_NE(file.GetLine(command, argument), 0);
  EXPECT_EQ(file.GetState(), CSpecFile::SF_NOCONTINUE);
  EXPECT_EQ(command, "Value");
  EXPECT_EQ(file.GetLineNumber(), 1);
  file.UngetLine();  // nothing to give back at the end
  EXPECT_NE(file.GetLine(command, argument), 0);
}

TEST_F(SpecFileTest, UngetLineDeliversTheSameLineAgain) {
  OpenText("[Item]\nName=A\n\n1 2\n");
  CVornString command, argument;
  ASSERT_EQ(file.GetLine(command, argument), 0);
  ASSERT_EQ(file.GetLine(command, argument), 0);
  ASSERT_EQ(file.GetLine(command, argument), 0);
  EXPECT_EQ(file.GetState(), CSpecFile::SF_OK);
  file.UngetLine();
  EXPECT_EQ(ReadAll(), (std::vector<Line>{{"1 2", "", CSpecFile::SF_OK, 4}}));
}

TEST_F(SpecFileTest, SkipSectionStopsBeforeTheNextSectionLine) {
  OpenText("[Junk]\nA=1\nfree text\n[Item]\nName=B\n[More]\nC=2\n");
  CVornString command, argument;
  ASSERT_EQ(file.GetLine(command, argument), 0);
  file.SkipSection();
  ASSERT_EQ(file.GetLine(command, argument), 0);
  EXPECT_EQ(command, "[Item]");
  EXPECT_EQ(file.GetLineNumber(), 4);
  file.UngetLine();
  file.SkipSection();  // a section line given back is where skipping stops
  ASSERT_EQ(file.GetLine(command, argument), 0);
  EXPECT_EQ(command, "[Item]");
  ASSERT_EQ(file.GetLine(command, argument), 0);
  ASSERT_EQ(file.GetLine(command, argument), 0);
  file.SkipSection();  // to the end of the file
  EXPECT_NE(file.GetLine(command, argument), 0);
}

TEST_F(SpecFileTest, VersionIsTheLineRightAfterTheSectionLine) {
  struct Case {
    std::string content;
    int ok;
    std::string next;  // the command the next GetLine delivers
  };
  const std::vector<Case> cases = {
      {"[Dictionary]\nVersion=ORVA 4.1\nLabel=x\n", 1, "Label"},
      {"[Dictionary]\n; written by hand\n version = orva 4.1 \nLabel=x\n", 1, "Label"},
      {"[Dictionary]\nVersion=ORVA 3.1\nLabel=x\n", 0, "Label"},
      {"[Dictionary]\nLabel=x\nVersion=ORVA 4.1\n", 0, "Label"},
      {"[Dictionary]\n[Record]\n", 0, "[Record]"},
      {"[Dictionary]\n", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    OpenText(c.content);
    CVornString command, argument;
    ASSERT_EQ(file.GetLine(command, argument), 0);
    EXPECT_EQ(file.IsVersionOK("ORVA 4.1"), c.ok);
    command.clear();
    file.GetLine(command, argument);
    EXPECT_EQ(command, c.next);
    file.Close();
  }
}

TEST_F(SpecFileTest, LongLinesArriveWhole) {
  const std::string label(3'000'000, 'x');
  OpenText("Label=" + label + "\r\nName=A\n");
  auto lines = ReadAll();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].argument, label);
  EXPECT_EQ(lines[1].command, "Name");
}

TEST_F(SpecFileTest, LengthPositionAndPath) {
  const std::string content = "[Record]\r\nName=A\n\nLabel=B";
  const std::string path = Write(content);
  ASSERT_NE(file.Open(path), 0);
  EXPECT_EQ(file.GetFilePath(), path);
  EXPECT_EQ(file.GetLength(), static_cast<long>(content.size()));
  EXPECT_EQ(file.GetPosition(), 0);
  CVornString command, argument;
  file.GetLine(command, argument);
  EXPECT_EQ(file.GetPosition(), 10);
  ReadAll();
  EXPECT_EQ(file.GetPosition(), static_cast<long>(content.size()));
}

TEST_F(SpecFileTest, OpenFailuresSayWhy) {
  EXPECT_EQ(file.Open(dir.file("missing.ddw")), 0);
  EXPECT_EQ(file.GetOpenError(), "No such file or directory");
  EXPECT_EQ(file.Open(dir.path().string()), 0);
  EXPECT_EQ(file.GetOpenError(), "Is a directory");
  EXPECT_EQ(file.Open("/dev/zero"), 0);  // would be one endless line
  EXPECT_EQ(file.GetOpenError(), "Not a regular file");
  CVornString command, argument;
  EXPECT_NE(file.GetLine(command, argument), 0);  // a failed open reads nothing
  ASSERT_NE(file.Open(Write("A=1\n")), 0);
  EXPECT_EQ(file.GetOpenError(), "");
}

}  // namespace
