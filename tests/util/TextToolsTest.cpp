#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "libs/util/TextTools.h"

namespace {

// Runs a C-string tool on a copy of text and returns the result as a string.
template <typename Tool>
std::string Apply(const std::string& text, Tool tool) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  tool(buffer.data());
  return buffer.data();
}

TEST(TextTools, Trimming) {
  EXPECT_EQ(Apply(" \t a b \r\n", trimright), " \t a b");
  EXPECT_EQ(Apply(" \t a b \r\n", trimleft), "a b \r\n");
  EXPECT_EQ(Apply(" \t a b \r\n", trimall), "a b");
  EXPECT_EQ(Apply("   ", trimall), "");
  EXPECT_EQ(Apply("", trimall), "");
  EXPECT_EQ(Apply("--x-y--", [](char* s) { strtrimleft(s, '-'); }), "x-y--");
  EXPECT_EQ(Apply("--x-y--", [](char* s) { strtrimright(s, '-'); }), "--x-y");
  EXPECT_EQ(Apply("----", [](char* s) { strtrimright(s, '-'); }), "");
  EXPECT_EQ(trimall(nullptr), nullptr);
}

TEST(TextTools, ReplaceAndBoundedCopy) {
  char text[] = "a_b_c";
  EXPECT_EQ(strreplace(text, '_', '-'), 2);
  EXPECT_STREQ(text, "a-b-c");
  EXPECT_EQ(strreplace(text, 'z', '-'), 0);

  char dest[6];
  EXPECT_STREQ(strcpymax(dest, "abcdefgh", 5), "abcde");
  EXPECT_STREQ(strcpymax(dest, "ab", 5), "ab");
  EXPECT_STREQ(strcpymax(dest, nullptr, 5), "");
  EXPECT_STREQ(strcpymax(dest, "abc", 0), "");
}

// Every piece of text with its offset, as a form line is cut into texts.
std::vector<std::pair<std::string, int>> Paragraphs(std::string text, char separator, int minRun) {
  std::vector<std::pair<std::string, int>> pieces;
  char* context = nullptr;
  int offset = -1;
  for (char* p = strgetparagraph(text.data(), separator, minRun, &context, &offset); p;
       p = strgetparagraph(nullptr, separator, minRun, &context, &offset))
    pieces.emplace_back(p, offset);
  return pieces;
}

TEST(TextTools, ParagraphsSplitAtLongRuns) {
  using Pieces = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(Paragraphs("Name of head      Age", ' ', 2), (Pieces{{"Name of head", 0}, {"Age", 18}}));
  EXPECT_EQ(Paragraphs("  a  b c   d ", ' ', 2), (Pieces{{"a", 2}, {"b c", 5}, {"d", 11}}));
  EXPECT_EQ(Paragraphs("a,b,,c", ',', 1), (Pieces{{"a", 0}, {"b", 2}, {"c", 5}}));
  EXPECT_EQ(Paragraphs("x", ' ', 0), (Pieces{{"x", 0}}));
  EXPECT_EQ(Paragraphs("    ", ' ', 2), Pieces{});
  EXPECT_EQ(Paragraphs("", ' ', 2), Pieces{});
}

TEST(TextTools, SplitPath) {
  struct Case {
    const char* path;
    const char* folder;
    const char* base;
    const char* ext;
  };
  const Case cases[] = {
      {"/data/survey.dd", "/data", "survey", "dd"},
      {"survey", "", "survey", ""},
      {"/survey.tar.gz", "/", "survey.tar", "gz"},
      {"a.b/c", "a.b", "c", ""},
      {"/data/averyveryverylongname.ddw", "/data", "averyveryverylon", "ddw"},  // cut to size - 1
  };
  for (const auto& c : cases) {
    char folder[17], base[17], ext[17];
    EXPECT_EQ(strsfn(c.path, folder, base, ext, sizeof folder), c.path);
    EXPECT_STREQ(folder, c.folder) << c.path;
    EXPECT_STREQ(base, c.base) << c.path;
    EXPECT_STREQ(ext, c.ext) << c.path;
  }
  char base[8];
  strsfn("/x/y.z", nullptr, base, nullptr, sizeof base);
  EXPECT_STREQ(base, "y");
}

// What reaches a terminal: every byte it could act on shown in a notation of printable
// characters, and nothing else changed.
TEST(TextTools, VisibleTextShowsEveryControlCharacter) {
  struct Case {
    std::string text, visible, visibleLines;
  };
  const Case cases[] = {
      // Printable text and UTF-8 stay.
      {"Age 15-49, caf\xC3\xA9 ^ \\ \xE2\x82\xAC", "Age 15-49, caf\xC3\xA9 ^ \\ \xE2\x82\xAC",
       "Age 15-49, caf\xC3\xA9 ^ \\ \xE2\x82\xAC"},
      // OSC ... BEL, CSI, the other C0 controls and DEL.
      {"a\x1B]0;title\x07z", "a^[]0;title^Gz", "a^[]0;title^Gz"},
      {"\x1B[2J\x1B[31m", "^[[2J^[[31m", "^[[2J^[[31m"},
      {std::string("\0\x01\x1F\x7F", 4), "^@^A^_^?", "^@^A^_^?"},
      // C1 controls; U+00A0 is none.
      {"x\xC2\x9B" "31m\xC2\x85\xC2\x80\xC2\x9F\xC2\xA0", "x\\u009B31m\\u0085\\u0080\\u009F\xC2\xA0",
       "x\\u009B31m\\u0085\\u0080\\u009F\xC2\xA0"},
      // Bytes that are not UTF-8: a stray byte, a cut sequence, a surrogate.
      {"\xFF\xC3(\xE2\x82\xED\xA0\x80", "\\xFF\\xC3(\\xE2\\x82\\xED\\xA0\\x80",
       "\\xFF\\xC3(\\xE2\\x82\\xED\\xA0\\x80"},
      // Line breaks and tabs: kept by VisibleLines only; a CR without its LF would overwrite
      // a line.
      {"one\ntwo\r\nthree\tfour", "one^Jtwo^M^Jthree^Ifour", "one\ntwo\r\nthree\tfour"},
      {"fake\rline\r", "fake^Mline^M", "fake^Mline^M"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VisibleText(c.text), c.visible) << c.visible;
    EXPECT_EQ(VisibleLines(c.text), c.visibleLines) << c.visible;
    // Shown twice, a text stays as shown once.
    EXPECT_EQ(VisibleText(c.visible), c.visible);
  }
}

}  // namespace
