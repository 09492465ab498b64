#include <gtest/gtest.h>

#include <string>

#include "libs/util/CodePage.h"

namespace {

// Restores the default code page whatever a test selected.
class CodePage : public ::testing::Test {
 protected:
  void TearDown() override { SetOemCodePage("CP850"); }
};

TEST_F(CodePage, Cp850IsTheDefaultAndMapsBothWays) {
  EXPECT_EQ(OemCodePage(), "CP850");
  std::string oem;
  for (int c = 0x80; c < 0x100; ++c) oem.push_back(static_cast<char>(c));
  EXPECT_EQ(HostToOem(OemToHost(oem)), oem) << "every CP850 byte has a character";
  EXPECT_EQ(OemToHost("\x82t\x82"), "\xC3\xA9t\xC3\xA9");  // été
  EXPECT_EQ(OemToHost("plain"), "plain");
  EXPECT_EQ(OemToHost(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST_F(CodePage, EachUnmappableOrBrokenCharacterBecomesOneQuestionMark) {
  EXPECT_EQ(HostToOem("\xE2\x82\xAC 5"), "? 5");          // euro sign: not in CP850
  EXPECT_EQ(HostToOem("\xF0\x9F\x98\x80!"), "?!");        // a 4-byte character
  EXPECT_EQ(HostToOem("a\xFF" "b"), "a?b");               // a byte that is no UTF-8
  EXPECT_EQ(HostToOem("a\xC3"), "a?");                    // cut off at the end
  EXPECT_EQ(HostToOem("\xE2\x82" "x"), "?x");             // cut off in the middle
}

TEST_F(CodePage, AnotherCodePageCanBeChosen) {
  EXPECT_FALSE(SetOemCodePage("NO-SUCH-CODEPAGE"));
  EXPECT_FALSE(SetOemCodePage(""));
  EXPECT_EQ(OemCodePage(), "CP850");
  ASSERT_TRUE(SetOemCodePage("CP437"));
  EXPECT_EQ(OemCodePage(), "CP437");
  EXPECT_EQ(OemToHost("\xE1"), "\xC3\x9F");  // sharp s in both
  EXPECT_EQ(HostToOem("\xC3\x98"), "?");     // Ø is in CP850 only
}

}  // namespace

// The decoder that data files are read with gives what OemToHost gives, for single-byte
// code pages (by its table), for one that is not ASCII below 0x80, and for multibyte ones.
TEST_F(CodePage, TheTextDecoderGivesWhatOemToHostGives) {
  std::string every;
  for (int b = 1; b < 256; ++b) every.push_back(static_cast<char>(b));
  const std::string texts[] = {every, "M\x81ller", "\xE9\xA4\x82\x83", "plain", ""};
  for (const char* page : {"CP850", "CP1252", "CP037", "UTF-8", "SHIFT_JIS"}) {
    SCOPED_TRACE(page);
    ASSERT_TRUE(SetOemCodePage(page));
    const OemTextDecoder decoder;
    for (const std::string& text : texts) {
      std::string decoded = "left over";
      decoder.ToHost(text, decoded);
      EXPECT_EQ(decoded, OemToHost(text));
    }
  }
}
