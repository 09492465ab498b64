// The Travo formats' module rows: their bids on first bytes, and reading a dictionary with
// its failures reported through the context.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "RecordingHost.h"  // TempDir
#include "SampleDict.h"
#include "libs/dict/DataDict.h"
#include "libs/util/Reporter.h"
#include "travo/TravoFormat.h"

namespace {

TEST(TravoFormat, BidsOnTheFirstLinesThatSaySomething) {
  enum Bid { None, Dict, Forms };
  struct Case {
    const char* bytes;
    Bid bid;
  } cases[] = {
      {"[Dictionary]\nVersion=Travo 4.0\nName=X\n", Dict},
      {"\xEF\xBB\xBF; a comment\n\n  [dictionary] \r\nversion= \ttravo 4.1\r\n", Dict},
      {"[Dictionary]\nVersion=ORVA 4.1\n", None},
      {"[Dictionary]\nName=X\nVersion=Travo 4.0\n", None},
      {"[Dictionary]\n", None},
      {"[Record]\nVersion=Travo 4.0\n", None},
      {"Travo 4.0\n[FormFile]\n", Forms},
      {"; comment\nTravo 4.0\r\n\n[formfile]\n", Forms},
      {"travo 4.0\n[FormFile]\n", None},
      {"Travo 4.0\n[Dictionary]\n", None},
      {"Travo 4.0\n", None},
      {"[FormFile]\nTravo 4.0\n", None},
      {"", None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(TravoDictFormat().detect(c.bytes), c.bid == Dict);
    EXPECT_EQ(TravoFormsFormat().detect(c.bytes), c.bid == Forms);
  }
  EXPECT_TRUE(TravoDictFormat().detect(DcfToText(sample::MakeRichDict())));
}

TEST(TravoFormat, ReadsADictionaryAndReportsWhyItCannot) {
  TempDir dir;
  const std::string good = dir.file("good.dcf"), bad = dir.file("bad.dcf"), missing = dir.file("missing.dcf");
  ASSERT_TRUE(sample::MakeRichDict().Save(good));
  std::ofstream(bad) << "[Dict]\n";
  struct Case {
    std::string path, message;
  } cases[] = {
      {good, ""},
      {missing, "File " + missing + " does not exist."},
      {bad, bad + ": line 1: a .dcf file starts with the line [Dictionary]"},
      {dir.path().string(), dir.path().string() + " is a folder, not a file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CCollectingReporter reporter;
    FormatContext context{reporter};
    const std::unique_ptr<CDataDict> dict = TravoDictFormat().readDictionary({c.path, c.path}, context);
    if (c.message.empty()) {
      ASSERT_TRUE(dict);
      EXPECT_TRUE(*dict == sample::MakeRichDict());
      EXPECT_TRUE(reporter.Messages().empty());
      continue;
    }
    EXPECT_FALSE(dict);
    ASSERT_EQ(reporter.Messages().size(), 1u);
    EXPECT_EQ(reporter.Messages()[0].text, c.message);
    EXPECT_EQ(reporter.Messages()[0].style, unsigned{MB_ICONEXCLAMATION});

    // Inspect gives the same reason, and shows nothing.
    std::ostringstream out;
    std::string error;
    EXPECT_FALSE(TravoDictFormat().describe({c.path, c.path}, false, out, error));
    EXPECT_EQ(error, c.message);
    EXPECT_EQ(out.str(), "");
  }
  EXPECT_EQ(TravoFormsFormat().readDictionary, nullptr);
}

}  // namespace
