#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "RecordingHost.h"
#include "libs/util/VornString.h"

namespace {

TEST(VornString, SubstringsClampToTheText) {
  CVornString s("ABCDEF");
  EXPECT_EQ(s.Left(2), "AB");
  EXPECT_EQ(s.Left(99), "ABCDEF");
  EXPECT_EQ(s.Left(-1), "");
  EXPECT_EQ(s.Right(2), "EF");
  EXPECT_EQ(s.Right(99), "ABCDEF");
  EXPECT_EQ(s.Mid(4), "EF");
  EXPECT_EQ(s.Mid(9), "");
  EXPECT_EQ(s.Mid(1, 3), "BCD");
  EXPECT_EQ(s.Mid(4, 10), "EF");
  EXPECT_EQ(s.Mid(-2, 2), "AB");
}

TEST(VornString, FindAndCompare) {
  CVornString s("a.b.c");
  EXPECT_EQ(s.Find('.'), 1);
  EXPECT_EQ(s.Find('.', 2), 3);
  EXPECT_EQ(s.Find('.', 4), -1);
  EXPECT_EQ(s.Find('.', 99), -1);
  EXPECT_EQ(s.Find("b.c"), 2);
  EXPECT_EQ(s.Find("x"), -1);
  EXPECT_EQ(s.ReverseFind('.'), 3);
  EXPECT_EQ(s.ReverseFind('x'), -1);
  EXPECT_EQ(CVornString("Quest").CompareNoCase("QUEST"), 0);
  EXPECT_LT(CVornString("abc").CompareNoCase("ABD"), 0);
  EXPECT_GT(CVornString("abcd").CompareNoCase("ABC"), 0);
  EXPECT_LT(CVornString("").CompareNoCase("a"), 0);
}

TEST(VornString, EditingInPlace) {
  CVornString s("Head-of-household");
  EXPECT_EQ(s.Replace('-', '_'), 2);
  EXPECT_EQ(s, "Head_of_household");
  CVornString t("a--b--c");
  EXPECT_EQ(t.Replace("--", "-"), 2);
  EXPECT_EQ(t, "a-b-c");
  EXPECT_EQ(t.Replace("", "x"), 0);
  t.MakeUpper();
  EXPECT_EQ(t, "A-B-C");
  t.MakeLower();
  EXPECT_EQ(t, "a-b-c");

  CVornString blanks(" \t x y \r\n");
  blanks.Trim();
  EXPECT_EQ(blanks, "x y");
  EXPECT_TRUE(CVornString(" \t ").IsBlank());
  EXPECT_TRUE(CVornString().IsBlank());
  EXPECT_FALSE(CVornString(" x").IsBlank());
}

TEST(VornString, FormatAndStringTable) {
  CVornString s;
  s.Format("Unrecognized command at line %d.", 17);
  EXPECT_EQ(s, "Unrecognized command at line 17.");
  s.Format("%s", std::string(5000, 'x').c_str());  // longer than any fixed buffer
  EXPECT_EQ(s.size(), 5000u);

  EXPECT_TRUE(s.LoadString(219));
  EXPECT_EQ(s, "QUEST");
  EXPECT_FALSE(s.LoadString(207));
  EXPECT_TRUE(s.IsEmpty());
}

TEST(VornString, MakeNameRules) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Head-of-household", "HEAD_OF_HOUSEHOLD"},
      {"age", "AGE"},
      {"  Region  code  ", "REGION_CODE"},
      {"a -- b", "A_B"},                 // runs of non-name characters fold into one '_'
      {"__x__", "X"},                    // no '_' at either end
      {"1st visit", "X1ST_VISIT"},       // a name starts with a letter
      {"_9", "X9"},
      {"", "NONAME"},
      {"***", "NONAME"},
      {"R\xC3\xA9gion", "R_GION"},       // each non-ASCII character is not a name character
      {"SURVEY.DD", "SURVEY_DD"},
      {std::string(40, 'A'), std::string(32, 'A')},
      {std::string(31, 'A') + " B", std::string(31, 'A')},  // a cut never ends on '_'
      {"9" + std::string(31, 'B'), "X9" + std::string(30, 'B')},
  };
  for (const auto& [text, name] : cases) {
    CVornString s(text);
    s.MakeName();
    EXPECT_EQ(s, name) << "from \"" << text << "\"";
    CVornString again(s);
    again.MakeName();
    EXPECT_EQ(again, s) << "a name stays as it is";
  }
}

// Splits a range list the way the text dictionary reader does: from = token up to blank,
// comma or colon; when a colon ended it, to = token up to blank or comma.
std::vector<std::pair<std::string, std::string>> SplitRanges(CVornString list) {
  std::vector<std::pair<std::string, std::string>> pairs;
  while (!list.IsEmpty()) {
    char found = 0;
    CVornString from = list.GetToken(" ,:", &found);
    CVornString to;
    if (found == ':') to = list.GetToken(" ,");
    pairs.emplace_back(from, to);
  }
  return pairs;
}

TEST(VornString, GetTokenSplitsRangeLists) {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(SplitRanges("1:5, 7, 9:12"), (Pairs{{"1", "5"}, {"7", ""}, {"9", "12"}}));
  EXPECT_EQ(SplitRanges("1 : 5 , 7,9:12"), (Pairs{{"1", "5"}, {"7", ""}, {"9", "12"}}));
  EXPECT_EQ(SplitRanges("  8"), (Pairs{{"8", ""}}));
  EXPECT_EQ(SplitRanges("1,,3"), (Pairs{{"1", ""}, {"", ""}, {"3", ""}}));  // an empty field stays
  EXPECT_EQ(SplitRanges("\"a:b\":\"c,d\", 'x y'"), (Pairs{{"a:b", "c,d"}, {"x y", ""}}));
  EXPECT_EQ(SplitRanges("\" \""), (Pairs{{" ", ""}}));
  EXPECT_EQ(SplitRanges("\"open:1"), (Pairs{{"\"open", "1"}}));  // no closing quote: plain text
}

TEST(VornString, GetTokenReportsTheDelimiter) {
  CVornString s("AB, CD");
  char found = 'x';
  EXPECT_EQ(s.GetToken(" ,", &found), "AB");
  EXPECT_EQ(found, ',');
  EXPECT_EQ(s, "CD");
  EXPECT_EQ(s.GetToken(" ,", &found), "CD");
  EXPECT_EQ(found, '\0');
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.GetToken(" ,", &found), "");
  EXPECT_EQ(found, '\0');

  CVornString words("1 2 3");  // blank as the only delimiter
  EXPECT_EQ(words.GetToken(" ,", &found), "1");
  EXPECT_EQ(found, ' ');
  EXPECT_EQ(words, "2 3");

  CVornString noBlank(" a,b");  // blanks matter when blank is no delimiter
  EXPECT_EQ(noBlank.GetToken(","), " a");
  EXPECT_EQ(noBlank, "b");
}

TEST(VornString, DateAndTimeTexts) {
  EXPECT_TRUE(std::regex_match(CVornString::Date(), std::regex(R"((0[1-9]|1[0-2])/(0[1-9]|[12]\d|3[01])/\d{4})")));
  EXPECT_TRUE(std::regex_match(CVornString::Time(), std::regex(R"(([01]\d|2[0-3]):[0-5]\d:[0-5]\d)")));
}

TEST(VornString, OemConversionRoundTrips) {
  CVornString s("Fran\xC3\xA7ois \xE2\x82\xAC");  // "François €": no euro sign in CP850
  s.CharToOemA();
  EXPECT_EQ(s, "Fran\x87ois ?");
  s.OemToCharA();
  EXPECT_EQ(s, "Fran\xC3\xA7ois ?");
}

}  // namespace
