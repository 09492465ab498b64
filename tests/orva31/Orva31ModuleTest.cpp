// The ORVA 3.1 format module as the programs use it: its bid on a file's first bytes, the
// reading of a file under any name, and conversions that share nothing.
#include <gtest/gtest.h>

#include <cstdio>

#include "DdBuilder.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "Files.h"
#include "libs/dict/DataDict.h"
#include "orva31/DdAccess.h"
#include "orva31/Orva31Format.h"

namespace {

DdBuilder Survey(const std::string& itemName) {
  DdBuilder b;
  b.common = {{"ID", 0, 2}};
  b.records = {{"PERSON", "", 1, 9, {{itemName, 2, 3, 0, 0, 1, 0, {{"YOUNG", {{"  0", " 14"}}}}}}}};
  return b;
}

TEST(Orva31Module, BidsOnTheHeaderMagicOnly) {
  const std::string header = DdBuilder().Build();
  struct Case {
    std::string bytes;
    bool bid;
  };
  const Case cases[] = {
      {header, true},
      {header.substr(0, 8), true},            // the magic alone
      {"DDP00010 and what follows", true},    // the older package's: its reader refuses it
      {"ORVADDF", false},                     // cut short
      {"orvaddf " + header.substr(8), false},  // letter case counts
      {"[Dictionary]\nVersion=ORVA 4.1\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 20));
    EXPECT_EQ(Orva31Format().detect(c.bytes), c.bid);
  }
}

// The file is read at the path given whatever its extension, named after it; messages name
// it as shown.
TEST(Orva31Module, ReadsTheFileGivenUnderAnyName) {
  TempDir dir;
  const std::string bytes = Survey("AGE").Build();
  for (const std::string name : {"survey.dd", "survey.txt", "survey", "survey.DCF"}) {
    SCOPED_TRACE(name);
    WriteFile(dir.file(name), bytes);
    RecordingHost host;
    FormatContext context{host, '.', false};
    std::unique_ptr<CDataDict> dict = Orva31Format().readDictionary({dir.file(name), name}, context);
    ASSERT_NE(dict, nullptr) << ::testing::PrintToString(host.texts());
    EXPECT_EQ(dict->GetLabel(), "SURVEY");
    EXPECT_EQ(dict->GetLevel(0)->GetRecord(0)->GetItem(0)->GetName(), "AGE");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.progressWindows, 0);  // none asked for
  }
  // A file of the same base name with the usual extension is not read in its place.
  WriteFile(dir.file("other.dd"), Survey("OTHER").Build());
  WriteFile(dir.file("other.txt"), "not a dictionary");
  RecordingHost host;
  FormatContext context{host};
  EXPECT_EQ(Orva31Format().readDictionary({dir.file("other.txt"), "other.txt"}, context), nullptr);
  EXPECT_EQ(host.texts(), std::vector<std::string>{"File is not an ORVA 3.1 Data Dictionary."});
  // The name refused is the name given.
  const std::string longName = std::string(200, 'n') + ".txt";
  EXPECT_EQ(Orva31Format().readDictionary({dir.file(longName), longName}, context), nullptr);
  EXPECT_EQ(host.texts().back(), "File name too long:\n" + std::string(200, 'n'));
}

TEST(Orva31Module, ReadingShowsProgressOnlyWhenAskedTo) {
  TempDir dir;
  WriteFile(dir.file("survey.dd"), Survey("AGE").Build());
  for (const bool show : {false, true}) {
    RecordingHost host;
    FormatContext context{host, '.', show};
    EXPECT_NE(Orva31Format().readDictionary({dir.file("survey.dd"), dir.file("survey.dd")}, context), nullptr);
    EXPECT_EQ(host.progressWindows, show ? 1 : 0);
    EXPECT_EQ(host.checks, show ? 3 : 0);  // after COMMON, the record and the validation
    EXPECT_EQ(host.progressOpen, 0);
  }
}

// Each reader holds its own file and windows, each writer its own image: two at work at
// once do not see each other's.
TEST(Orva31Module, ReadersAndWritersShareNothing) {
  TempDir dir;
  WriteFile(dir.file("a.dd"), Survey("FIRST").Build());
  WriteFile(dir.file("b.dd"), Survey("SECOND").Build());
  DdReader a, b;
  DdFileInfo info;
  ASSERT_EQ(a.OpenFile(dir.file("a.dd"), &info), DD_OK);
  ASSERT_EQ(b.OpenFile(dir.file("b.dd"), &info), DD_OK);
  DdItemInfo item;
  ASSERT_EQ(a.GetItem(0, 0, &item), DD_OK);
  EXPECT_EQ(std::string(item.name).substr(0, 5), "FIRST");
  ASSERT_EQ(b.GetItem(0, 0, &item), DD_OK);
  EXPECT_EQ(std::string(item.name).substr(0, 6), "SECOND");
  // Closing one leaves the other open.
  EXPECT_EQ(a.Close(), 0);
  EXPECT_EQ(a.GetItem(0, 0, &item), DD_IO_ERROR);
  DdValuePair pair;
  ASSERT_EQ(b.GetValue(0, 0, 0, 0, &pair), DD_OK);
  EXPECT_EQ(std::string(pair.to), " 14");

  DdWriter one, two;
  ASSERT_EQ(one.CreateFile(dir.file("one.dd")), DD_OK);
  ASSERT_EQ(two.CreateFile(dir.file("two.dd")), DD_OK);
  one.New();
  two.New();
  DdRecordInfo record = {};
  std::snprintf(record.name, sizeof record.name, "%-16s", "ONLY");
  EXPECT_EQ(one.AddRecord(&record), 0);
  EXPECT_EQ(two.AddRecord(&record), 0);  // the first record of its own image
  EXPECT_EQ(one.AddRecord(&record), 1);
  ASSERT_EQ(one.Write("01/02/03", "04:05:06"), DD_OK);
  ASSERT_EQ(two.Write("01/02/03", "04:05:06"), DD_OK);
  EXPECT_EQ(ReadTextFile(dir.file("one.dd")).size(), 512u + 2 * 45);
  EXPECT_EQ(ReadTextFile(dir.file("two.dd")).size(), 512u + 45);
}

}  // namespace
