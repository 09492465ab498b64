// The .dcf file: exact round trips both ways, the written form of texts, refusal of
// malformed text with the line that is wrong, and the file operations.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "Files.h"
#include "RecordingHost.h"
#include "SampleDict.h"
#include "libs/dict/DataDict.h"

namespace {

const std::string kSmall =
    "[Dictionary]\n"              // 1
    "Version=Travo 4.0\n"         // 2
    "Name=SMALL\n"                // 3
    "Label=Small\n"               // 4
    "Note=\n"                     // 5
    "RecordTypeStart=1\n"         // 6
    "RecordTypeLen=1\n"           // 7
    "RelativePositions=No\n"      // 8
    "ZeroFill=Yes\n"              // 9
    "DecimalChar=No\n"            // 10
    "\n"                          // 11
    "[Level]\n"                   // 12
    "Name=QUEST\n"                // 13
    "Label=Questionnaire\n"       // 14
    "Note=\n"                     // 15
    "\n"                          // 16
    "[IdItems]\n"                 // 17
    "Name=\n"                     // 18
    "Label=\n"                    // 19
    "Note=\n"                     // 20
    "RecordTypeValue=\n"          // 21
    "Required=No\n"               // 22
    "MaxRecords=0\n"              // 23
    "RecordLen=0\n"               // 24
    "\n"                          // 25
    "[Item]\n"                    // 26
    "Name=ID\n"                   // 27
    "Label=Id\n"                  // 28
    "Note=\n"                     // 29
    "Start=2\n"                   // 30
    "Len=3\n"                     // 31
    "Occurrences=1\n"             // 32
    "Decimal=0\n"                 // 33
    "DataType=Numeric\n"          // 34
    "ItemType=Item\n"             // 35
    "DecimalChar=No\n"            // 36
    "ZeroFill=Yes\n"              // 37
    "\n"                          // 38
    "[Record]\n"                  // 39
    "Name=PERSON\n"               // 40
    "Label=Person\n"              // 41
    "Note=\n"                     // 42
    "RecordTypeValue=2\n"         // 43
    "Required=Yes\n"              // 44
    "MaxRecords=20\n"             // 45
    "RecordLen=10\n"              // 46
    "\n"                          // 47
    "[Item]\n"                    // 48
    "Name=AGE\n"                  // 49
    "Label=Age\n"                 // 50
    "Note=\n"                     // 51
    "Start=5\n"                   // 52
    "Len=3\n"                     // 53
    "Occurrences=1\n"             // 54
    "Decimal=0\n"                 // 55
    "DataType=Numeric\n"          // 56
    "ItemType=Item\n"             // 57
    "DecimalChar=No\n"            // 58
    "ZeroFill=Yes\n"              // 59
    "\n"                          // 60
    "[ValueSet]\n"                // 61
    "Name=AGE_VS1\n"              // 62
    "Label=Age\n"                 // 63
    "Note=\n"                     // 64
    "Value=0:120;Years\n"         // 65
    "Value=999;Not known\n"       // 66
    "ValueName=MISSING\n"         // 67
    "ValueType=Missing\n"         // 68
    "ValueSpecial=Yes\n";         // 69

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// kSmall with line n (1-based) replaced by the given text (which may hold several lines,
// or none when empty and remove is set).
std::string WithLine(int n, const std::string& text, bool remove = false) {
  auto lines = Lines(kSmall);
  if (remove)
    lines.erase(lines.begin() + n - 1);
  else
    lines[n - 1] = text;
  return Join(lines);
}

std::string FirstLines(int count) {
  auto lines = Lines(kSmall);
  lines.resize(count);
  return Join(lines);
}

}  // namespace

TEST(Dcf, TheSmallFileReadsAndWritesBackByteForByte) {
  CDataDict dict;
  std::string error;
  ASSERT_TRUE(DcfFromText(kSmall, dict, &error)) << error;
  EXPECT_EQ(DcfToText(dict), kSmall);
  const CDictValue& missing = *dict.GetLevel(0)->GetRecord(0)->GetItem(0)->GetVSet(0)->GetValue(1);
  EXPECT_EQ(missing.GetName(), "MISSING");
  EXPECT_EQ(missing.GetValueType(), MissingType);
  EXPECT_TRUE(missing.IsSpecial());
  EXPECT_EQ(missing.GetVPair(0)->GetFrom(), "999");
  EXPECT_EQ(missing.GetVPair(0)->GetTo(), "");
  EXPECT_EQ(dict.GetLevel(0)->GetIdItemsRec()->GetItem(0)->GetStart(), 2);
  EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetItem(0)->GetRecord(), dict.GetLevel(0)->GetRecord(0));
}

TEST(Dcf, RichDictionaryRoundTripsThroughFilesBothWays) {
  TempDir dir;
  const CDataDict rich = sample::MakeRichDict();
  CDataDict written = rich;
  ASSERT_TRUE(written.Save(dir.file("rich.dcf"))) << written.GetLastError();

  CDataDict read;
  ASSERT_TRUE(read.Open(dir.file("rich.dcf"))) << read.GetLastError();
  EXPECT_EQ(read, rich);
  EXPECT_EQ(read.GetLevel(1)->GetRecord(1)->GetItem(2)->GetDataDict(), &read);

  ASSERT_TRUE(read.Save(dir.file("again.dcf")));
  EXPECT_EQ(ReadTextFile(dir.file("again.dcf")), ReadTextFile(dir.file("rich.dcf")));
}

TEST(Dcf, EveryAwkwardTextSurvivesInEveryKindOfField) {
  for (const std::string& text : sample::AwkwardTexts()) {
    const CDataDict dict = sample::DictWithText(text);
    const std::string written = DcfToText(dict);
    CDataDict read;
    std::string error;
    ASSERT_TRUE(DcfFromText(written, read, &error)) << error << "\n" << written;
    EXPECT_EQ(read, dict) << written;
    EXPECT_EQ(DcfToText(read), written);
    // The file stays line-oriented UTF-8 text: no raw control characters but line ends.
    for (char c : written) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << written;
  }
}

TEST(Dcf, TextsHaveOneWrittenForm) {
  struct Case {
    std::string text, label, pairText;  // the text, written as a label and as a from text
  } cases[] = {
      {"plain text", "plain text", "plain text"},
      {"  two  ", "\\s\\stwo\\s\\s", "\\s\\stwo\\s\\s"},
      {" ", "\\s", "\\s"},
      {"a\r\nb\tc", "a\\r\\nb\\tc", "a\\r\\nb\\tc"},
      {"x,y:z;w=v", "x,y:z;w=v", "x\\,y\\:z\\;w=v"},
      {"back\\slash", "back\\\\slash", "back\\\\slash"},
      {"\x01\x7f", "\\x01\\x7F", "\\x01\\x7F"},
      {"caf\xc3\xa9 \xff", "caf\xc3\xa9 \\xFF", "caf\xc3\xa9 \\xFF"},
  };
  for (const Case& c : cases) {
    CDataDict dict = sample::DictWithText(c.text);
    const std::string written = DcfToText(dict);
    EXPECT_NE(written.find("\nLabel=" + c.label + "\n"), std::string::npos) << written;
    EXPECT_NE(written.find("\nValue=" + c.pairText + "," + c.pairText + ":" + c.pairText + ",:" + c.pairText +
                           ";" + c.label + "\n"),
              std::string::npos)
        << written;
  }
  // Pairs: a single value, a range, an all-empty pair, and no pairs at all.
  CDictValue value;
  for (auto [from, to] : {std::pair{"1", ""}, {"2", "3"}, {"", ""}}) {
    CDictVPair pair(from, to);
    value.AddVPair(&pair);
  }
  CDataDict dict = sample::DictWithText("t");
  CDictVSet* vset = dict.GetLevel(0)->GetRecord(0)->GetItem(0)->GetVSet(0);
  vset->AddValue(&value);
  CDictValue none;
  none.SetLabel("none");
  vset->AddValue(&none);
  const std::string written = DcfToText(dict);
  EXPECT_NE(written.find("\nValue=1,2:3,:;\nValue=;none\n"), std::string::npos) << written;
}

TEST(Dcf, MalformedTextIsRefusedWithTheLineThatIsWrong) {
  struct Case {
    const char* what;
    std::string text;
    int line;
    const char* reason;
  } cases[] = {
      {"empty", "", 1, "starts with the line [Dictionary]"},
      {"byte order mark", "\xef\xbb\xbf" + kSmall, 1, "starts with the line [Dictionary]"},
      {"lower-case header", WithLine(1, "[dictionary]"), 1, "starts with"},
      {"CR LF line ends", "[Dictionary]\r\nVersion=Travo 4.0\r\n", 1, "starts with"},
      {"other version", WithLine(2, "Version=Travo 3.0"), 2, "unsupported version 'Travo 3.0'"},
      {"missing key", WithLine(5, "", true), 5, "expected Note=, found 'RecordTypeStart=1'"},
      {"line without '='", WithLine(27, "Name"), 27, "expected Name=, found 'Name'"},
      {"leading zero", WithLine(6, "RecordTypeStart=01"), 6, "RecordTypeStart must be a whole number"},
      {"plus sign", WithLine(6, "RecordTypeStart=+1"), 6, "whole number"},
      {"minus zero", WithLine(6, "RecordTypeStart=-0"), 6, "whole number"},
      {"empty number", WithLine(30, "Start="), 30, "Start must be a whole number"},
      {"out of range", WithLine(53, "Len=2147483648"), 53, "within the int range"},
      {"flag", WithLine(8, "RelativePositions=yes"), 8, "must be Yes or No, found 'yes'"},
      {"data type", WithLine(34, "DataType=Mixed"), 34, "must be one of Numeric, Alpha"},
      {"raw trailing blank", WithLine(4, "Label=Small "), 4, "must be written 'Small\\s'"},
      {"needless escape", WithLine(4, "Label=\\x41"), 4, "must be written 'A'"},
      {"lower-case hex", WithLine(4, "Label=\\x0a"), 4, "must be written '\\n'"},
      {"unknown escape", WithLine(4, "Label=a\\qb"), 4, "unknown escape \\q"},
      {"backslash at the end", WithLine(4, "Label=a\\"), 4, "a backslash ends the text"},
      {"short hex", WithLine(4, "Label=\\x4"), 4, "two hexadecimal digits"},
      {"raw tab", WithLine(4, "Label=a\tb"), 4, "raw control character (write it as \\x09)"},
      {"raw NUL", WithLine(4, std::string("Label=a\0b", 9)), 4, "raw control character"},
      {"not UTF-8", WithLine(4, "Label=caf\xe9"), 4, "not UTF-8"},
      {"separator escaped in a label", WithLine(50, "Label=a\\,b"), 50, "must be written 'a,b'"},
      {"no blank line", WithLine(11, "", true), 11, "expected a blank line before the next section, found '[Level]'"},
      {"two blank lines", WithLine(11, "\n"), 12, "expected a section header"},
      {"unknown section", WithLine(12, "[Levels]"), 12, "found '[Levels]'"},
      {"level without id items", WithLine(17, "[Record]"), 17, "must be followed by its [IdItems]"},
      {"id items twice", WithLine(39, "[IdItems]"), 39, "[IdItems] may only follow a [Level]"},
      {"item before any level", WithLine(12, "[Item]"), 12, "[Item] comes before any [Level]"},
      {"value set after a record", WithLine(48, "[ValueSet]"), 48, "[ValueSet] must follow an [Item]"},
      {"extra key", WithLine(37, "ZeroFill=Yes\nExtra=1"), 38, "found 'Extra=1'"},
      {"value without label", WithLine(65, "Value=0:120"), 65, "needs a ';'"},
      {"empty to", WithLine(65, "Value=0:;Years"), 65, "must be written '0;Years'"},
      {"two colons", WithLine(65, "Value=0:1:2;Years"), 65, "must be written '0:1\\:2;Years'"},
      {"empty pair", WithLine(65, "Value=1,,2;Years"), 65, "must be written '1,:,2;Years'"},
      {"trailing comma", WithLine(65, "Value=1,;Years"), 65, "must be written '1,:;Years'"},
      {"bad escape in a pair", WithLine(65, "Value=\\q;Years"), 65, "Value: unknown escape"},
      {"value line outside a value set", WithLine(59, "ZeroFill=Yes\nValue=1;x"), 60, "found 'Value=1;x'"},
      {"value field before a value", WithLine(65, "ValueName=X"), 65, "ValueName= must follow a Value= line"},
      {"value fields out of order", WithLine(67, "ValueType=Missing\nValueName=MISSING", false), 68,
       "ValueName= is repeated or out of order"},
      {"repeated value field", WithLine(69, "ValueSpecial=Yes\nValueSpecial=Yes"), 70, "repeated or out of order"},
      {"default written", WithLine(69, "ValueSpecial=No"), 69, "is the default and must be left out"},
      {"empty value name", WithLine(67, "ValueName="), 67, "is the default"},
      {"value type None", WithLine(68, "ValueType=None"), 68, "is the default"},
      {"unknown value field", WithLine(69, "ValueSpecial=Yes\nValueLabel=x"), 70, "unexpected line 'ValueLabel=x'"},
      {"no final line end", kSmall.substr(0, kSmall.size() - 1), 69, "the last line has no line end"},
      {"cut inside a section", FirstLines(40), 41, "the file ends where Label= was expected"},
      {"ends after a blank line", FirstLines(11), 11, "the file ends after a blank line"},
      {"level without its id items at the end", FirstLines(15), 16, "ends before the level's [IdItems]"},
  };
  for (const Case& c : cases) {
    CDataDict dict = sample::MakeRichDict();
    std::string error;
    EXPECT_FALSE(DcfFromText(c.text, dict, &error)) << c.what;
    const std::string prefix = "line " + std::to_string(c.line) + ": ";
    EXPECT_EQ(error.rfind(prefix, 0), 0u) << c.what << ": " << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(dict, CDataDict()) << c.what << ": the dictionary is not left empty";
  }
}

TEST(Dcf, TheExampleOfTheFormatDocumentIsAValidFile) {
  std::string doc = ReadTextFile(std::string(TRAVO_SOURCE_DIR) + "/docs/dcf-format.md");
  const std::string fence = "```text\n[Dictionary]\n";
  size_t start = doc.find(fence);
  ASSERT_NE(start, std::string::npos);
  start += 8;
  size_t end = doc.find("```", start);
  ASSERT_NE(end, std::string::npos);
  const std::string example = doc.substr(start, end - start);
  CDataDict dict;
  std::string error;
  ASSERT_TRUE(DcfFromText(example, dict, &error)) << error;
  EXPECT_EQ(DcfToText(dict), example);
  EXPECT_GE(dict.GetNumRecs(), 1);
}

TEST(DcfFile, OpenFailuresNameTheFileAndLeaveTheDictionaryEmpty) {
  TempDir dir;
  WriteFile(dir.file("bad.dcf"), WithLine(30, "Start=x"));
  struct Case {
    std::string path, reason;
  } cases[] = {
      {dir.file("missing.dcf"), "missing.dcf does not exist"},
      {dir.path().string(), "is a folder"},
      {dir.file("bad.dcf"), "bad.dcf: line 30: Start must be a whole number"},
  };
  for (const Case& c : cases) {
    CDataDict dict = sample::MakeRichDict();
    EXPECT_FALSE(dict.Open(c.path));
    EXPECT_NE(dict.GetLastError().find(c.reason), std::string::npos) << dict.GetLastError();
    EXPECT_EQ(dict, CDataDict());
  }
}

// A named pipe would block the reader until someone writes to it: it is refused at once.
TEST(DcfFile, OpenRefusesWhatIsNotARegularFileWithoutWaiting) {
  TempDir dir;
  const std::string fifo = dir.file("pipe.dcf");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  CDataDict dict;
  auto opened = std::async(std::launch::async, [&] { return dict.Open(fifo); });
  if (opened.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    // Let the blocked reader go, so that the failure is reported rather than hung.
    close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    opened.wait();
    FAIL() << "Open waited on a named pipe";
  }
  EXPECT_FALSE(opened.get());
  EXPECT_NE(dict.GetLastError().find("pipe.dcf is not a regular file"), std::string::npos) << dict.GetLastError();
}

TEST(DcfFile, AFailedSaveLeavesThePreviousFileIntact) {
  TempDir dir;
  const std::string path = dir.file("survey.dcf");
  CDataDict small;
  ASSERT_TRUE(DcfFromText(kSmall, small, nullptr));
  ASSERT_TRUE(small.Save(path));
  CDataDict big = sample::MakeRichDict();

  // A folder as the target.
  EXPECT_FALSE(big.Save(dir.path().string()));
  EXPECT_NE(big.GetLastError().find("folder"), std::string::npos) << big.GetLastError();

  // A write that fails part way (a file size limit, which binds even the superuser).
  {
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small_limit = old;
    small_limit.rlim_cur = 512;
    auto previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small_limit), 0);
    const bool saved = big.Save(path);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved);
    EXPECT_NE(big.GetLastError().find("survey.dcf"), std::string::npos) << big.GetLastError();
  }
  EXPECT_EQ(ReadTextFile(path), kSmall);

  // A folder the process may not write to (not binding for the superuser).
  if (geteuid() != 0) {
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(big.Save(path));
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(ReadTextFile(path), kSmall);
  }
  // Nothing but the file is left in the folder.
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) entries += entry.exists();
  EXPECT_EQ(entries, 1);
}
