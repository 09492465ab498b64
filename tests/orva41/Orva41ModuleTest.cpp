// The ORVA 4.1 format module as the programs use it: its bid on a file's first lines, and
// the reading of a file under any name, named in messages as shown.
#include <gtest/gtest.h>

#include "RecordingHost.h"
#include "Files.h"
#include "libs/dict/DataDict.h"
#include "orva41/Orva41Format.h"

namespace {

TEST(Orva41Module, BidsOnTheFirstLinesThatSaySomething) {
  struct Case {
    std::string text;
    bool bid;
  };
  const Case cases[] = {
      {"[Dictionary]\nVersion=ORVA 4.1\n", true},
      {"\xEF\xBB\xBF; made by hand\n\n  [DICTIONARY]  \r\nversion=  orva 4.0\r\n", true},
      {"[Record]\nName=R\n", true},  // no [Dictionary] section
      {"[common]\n", true},
      {"[Dictionary]\nVersion=Travo 4.0\n", false},
      {"[Dictionary]\nLabel=L\nVersion=ORVA 4.1\n", false},  // the version line comes first
      {"[Dictionary]\n", false},
      {"Travo 4.0\n[FormFile]\n", false},
      {"Label=L\n[Record]\n", false},
      {"; only a comment\n\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Orva41Format().detect(c.text), c.bid);
  }
}

TEST(Orva41Module, ReadsTheFileGivenAndNamesItAsShown) {
  TempDir dir;
  WriteFile(dir.file("survey.txt"), "[Dictionary]\nVersion=ORVA 4.1\nBad line\n[Record]\nName=R\n");
  RecordingHost host;
  FormatContext context{host, '.', false};
  std::unique_ptr<CDataDict> dict = Orva41Format().readDictionary({dir.file("survey.txt"), "survey.txt"}, context);
  ASSERT_NE(dict, nullptr);
  EXPECT_EQ(dict->GetLabel(), "survey.txt");
  EXPECT_EQ(dict->GetName(), "SURVEY");
  EXPECT_EQ(host.texts(), std::vector<std::string>{"Unrecognized command at line 3.\nBad line="});
  EXPECT_EQ(host.progressWindows, 0);

  host.messages.clear();
  EXPECT_EQ(Orva41Format().readDictionary({dir.file("missing.txt"), "missing.txt"}, context), nullptr);
  EXPECT_EQ(host.texts(),
            std::vector<std::string>{"Cannot open ORVA 4.1 Data Dictionary  missing.txt:\nNo such file or directory"});
}

TEST(Orva41Module, ReadingShowsProgressOnlyWhenAskedTo) {
  TempDir dir;
  WriteFile(dir.file("survey.ddw"), "[Dictionary]\nVersion=ORVA 4.1\n[Record]\nName=R\n[Record]\nName=S\n");
  for (const bool show : {false, true}) {
    RecordingHost host;
    FormatContext context{host, '.', show};
    EXPECT_NE(Orva41Format().readDictionary({dir.file("survey.ddw"), "survey.ddw"}, context), nullptr);
    EXPECT_EQ(host.progressWindows, show ? 1 : 0);
    EXPECT_EQ(host.checks, show ? 2 : 0);  // after each record section
    EXPECT_EQ(host.progressOpen, 0);
  }
}

}  // namespace
