// Kind 3, the driver: output names, the dictionary header, work dictionaries, the reading
// phase's messages, progress, Cancel and saving.
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "RunProcess.h"
#include "VeskConvFixture.h"
#include "veskconv/VeskFormat.h"
#include "veskconv/VeskVornConv.h"

namespace veskconvtest {
namespace {

namespace fs = std::filesystem;

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// One section HH: HID on the identification columns, then A and B; a second section
// PER with C. Four variables, three of them in records.
VeskBuilder Household() {
  VeskBuilder b = WithHeader();
  b.Section({.name = "HH"});
  b.Variable({.name = "HID", .start = 1, .len = 3});
  b.Variable({.name = "A", .start = 5, .len = 1});
  b.Variable({.name = "B", .start = 6, .len = 2});
  b.Section({.name = "PER", .code = "2", .maxOcc = 20});
  b.Variable({.name = "C", .start = 5, .len = 1});
  return b;
}

TEST(VeskOutputNames, TheExtensionComesFromTheFileNameOnly) {
  struct Case {
    const char* output;
    const char* dcf;
    const char* fmf;
  };
  const Case cases[] = {
      {"/x/data.old/survey", "/x/data.old/survey.dcf", "/x/data.old/survey.fmf"},
      {"/x/data.old/survey.xyz", "/x/data.old/survey.dcf", "/x/data.old/survey.fmf"},
      {"/x/survey.dcf", "/x/survey.dcf", "/x/survey.fmf"},
      {"/x/survey.a.b", "/x/survey.a.dcf", "/x/survey.a.fmf"},
      {"/x/.survey", "/x/.survey.dcf", "/x/.survey.fmf"},
      {"survey.xyz", "survey.dcf", "survey.fmf"},
      {"survey", "survey.dcf", "survey.fmf"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CVeskVornConv::DcfPathFor(c.output), c.dcf) << c.output;
    EXPECT_EQ(CVeskVornConv::FmfPathFor(c.output), c.fmf) << c.output;
  }
}

TEST_F(VeskConvTest, ADotInAFolderNameStartsNoExtension) {
  fs::create_directory(dir.file("data.old"));
  output = dir.file("data.old/survey");
  ASSERT_TRUE(Convert(Household())) << Messages();
  EXPECT_TRUE(fs::is_regular_file(dir.file("data.old/survey.dcf")));
  EXPECT_FALSE(fs::exists(dir.file("data.dcf")));
  EXPECT_FALSE(fs::exists(output));
  CDataDict dict;
  EXPECT_TRUE(dict.Open(dir.file("data.old/survey.dcf"))) << dict.GetLastError();
}

TEST_F(VeskConvTest, TheHeaderBecomesTheDictionaryHeader) {
  struct Case {
    const char* what;
    HeaderSpec header;
    std::string label;
    int recTypeStart, recTypeLen;
    std::string recTypeVal;  // of the one record
  };
  const std::string long40 = "A label of forty characters, cut at 30.";
  const Case cases[] = {
      {"first label line", {.labels = {"Household survey   ", "Round 2"}}, "Household survey", 4, 1, "7"},
      {"no label", {}, "SURVEY", 4, 1, "7"},
      {"blank first line", {.labels = {"     ", "Round 2"}}, "SURVEY", 4, 1, "7"},
      {"long label", {.labels = {long40}}, long40.substr(0, 30), 4, 1, "7"},
      {"no record type", {.recTypeStart = 7, .recTypeLen = 0}, "SURVEY", 0, 0, ""},
      {"record type of two", {.recTypeStart = 9, .recTypeLen = 2}, "SURVEY", 9, 2, "7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VeskBuilder b = WithHeader(c.header);
    b.Section({.name = "R", .code = "7"});
    b.Variable({.name = "X", .start = 12});
    const CDataDict dict = Converted(b);
    EXPECT_EQ(dict.GetName(), "SURVEY");
    EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetRecTypeVal(), c.recTypeVal);
    EXPECT_EQ(dict.GetLabel(), c.label);
    EXPECT_EQ(dict.GetRecTypeStart(), c.recTypeStart);
    EXPECT_EQ(dict.GetRecTypeLen(), c.recTypeLen);
    EXPECT_FALSE(dict.GetPosRelative());
    EXPECT_FALSE(dict.GetZeroFill());
    EXPECT_FALSE(dict.GetDecChar());
  }
}

// A work dictionary has no header: it is named after its file, identified by column 1,
// its record type is columns 2 and 3, its sections are level 1 with codes AA, AB, ...,
// and its variables start three columns further right.
TEST_F(VeskConvTest, WorkDictionariesGetTheMadeUpHeader) {
  struct Case {
    const char* file;
    const char* name;
  };
  for (const Case& c : {Case{"work.wst", "work"}, Case{"HOUSEHOLD.WST", "HOUSEHOL"}}) {
    SCOPED_TRACE(c.file);
    VeskBuilder b;
    b.Section({.name = "A", .level = '2', .code = "9"});
    b.Variable({.name = "X", .start = 1, .len = 4});
    b.Section({.name = "B", .maxOcc = 3});
    b.Variable({.name = "Y", .type = 'A', .start = 1, .len = 8});
    const CDataDict dict = Converted(b, c.file);
    EXPECT_EQ(dict.GetName(), c.name);
    EXPECT_EQ(dict.GetLabel(), c.name);
    EXPECT_EQ(dict.GetRecTypeStart(), 2);
    EXPECT_EQ(dict.GetRecTypeLen(), 2);
    ASSERT_EQ(dict.GetNumLevels(), 1);
    const CDictLevel* level = dict.GetLevel(0);
    EXPECT_EQ(Items(*level->GetIdItemsRec()), std::vector<std::string>{"LEVEL1ID 1 1"});
    ASSERT_EQ(level->GetNumRecords(), 2);
    EXPECT_EQ(level->GetRecord(0)->GetRecTypeVal(), "AA");
    EXPECT_EQ(level->GetRecord(1)->GetRecTypeVal(), "AB");
    EXPECT_EQ(Items(*level->GetRecord(0)), std::vector<std::string>{"X 4 4"});
    EXPECT_EQ(Items(*level->GetRecord(1)), std::vector<std::string>{"Y 4 8"});
    EXPECT_EQ(level->GetRecord(0)->GetRecLen(), 7);
  }
}

// Every reading-phase failure names the input, writes nothing and leaves a previous
// output byte for byte.
TEST_F(VeskConvTest, UnreadableInputsAreReportedAndThePreviousOutputStays) {
  struct Case {
    const char* what;
    std::function<void(VeskBuilder&)> build;  // null: no input file at all
    const char* reason;
  };
  const char* corrupt = "Possibly corrupt.";
  const char* noVariables = "Dictionary doesn't have variables.";
  const Case cases[] = {
      {"missing file", nullptr, nullptr},
      {"truncated header",
       [](VeskBuilder& b) {
         b.Header({});
         b.Truncate(40);
       },
       corrupt},
      {"truncated variable record",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Truncate(b.Variable({.start = 5}) + 40);
       },
       corrupt},
      {"header without a level",
       [](VeskBuilder& b) {
         HeaderSpec h;
         h.levelIdLen[0] = 0;
         b.Header(h);
         b.Section({});
         b.Variable({.start = 5});
       },
       corrupt},
      // Used to index outside the identification records.
      {"section level above the header's",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({.name = "TOP"});
         b.Variable({.name = "T", .start = 5});
         b.Section({.name = "LOW", .level = '2'});
         b.Variable({.name = "L", .start = 5});
       },
       corrupt},
      {"section level 5 of four",
       [](VeskBuilder& b) {
         b.Header({.levelIdStart = {1, 2, 3, 4}, .levelIdLen = {1, 1, 1, 1}, .recTypeStart = 5});
         b.Section({.level = '5'});
         b.Variable({.start = 6});
       },
       corrupt},
      {"section level not a digit",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({.level = 'x'});
         b.Variable({.start = 5});
       },
       corrupt},
      // Its item had no name, and its fields named no item.
      {"variable named by bytes that count as blanks",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Variable({.name = "A", .start = 5});
         b.Variable({.name = "\xB2\xAD\xB0\xDF", .start = 6, .form = "F"});
         b.Form({.name = "F"});
       },
       corrupt},
      {"variable before any section",
       [](VeskBuilder& b) {
         b.Header({});
         b.Variable({.start = 5});
         b.Section({});
       },
       corrupt},
      {"group member without a group",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Variable({.kind = 'M', .start = 5});
       },
       corrupt},
      {"work dictionary bytes in a .dic",
       [](VeskBuilder& b) {
         b.Section({});
         b.Variable({.start = 5});
       },
       corrupt},
      {"header only", [](VeskBuilder& b) { b.Header({}); }, noVariables},
      {"sections only",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({.name = "A"});
         b.Section({.name = "B"});
       },
       noVariables},
  };
  const std::string input = dir.file("survey.dic");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = HookHost();
    fs::remove(input);
    if (c.build) {
      VeskBuilder b;
      c.build(b);
      ASSERT_TRUE(b.WriteTo(input));
    }
    WriteText(output, "previous contents\n");
    EXPECT_FALSE(ConvertFile(input));
    EXPECT_FALSE(app.LastConversionWroteOutput());
    const std::string expected = c.build ? "Error loading dictionary '" + input + "'. " + c.reason
                                         : "Error opening dictionary '" + input + "'. May not exist.";
    EXPECT_EQ(host.texts(), std::vector<std::string>{expected});
    EXPECT_EQ(ReadTextFile(output), "previous contents\n");
    EXPECT_EQ(host.progressOpen, 0);
  }
}

// The VESK library looks for a name without extension as NAME.DIC; the message names the
// input as given.
TEST_F(VeskConvTest, AnInputWithoutExtensionIsReadAsDic) {
  ASSERT_TRUE(Household().WriteTo(dir.file("SURVEY.DIC")));
  EXPECT_TRUE(ConvertFile(dir.file("SURVEY"))) << Messages();
  EXPECT_EQ(Result().GetLevel(0)->GetNumRecords(), 2);

  host = HookHost();
  fs::remove(output);
  EXPECT_FALSE(ConvertFile(dir.file("absent")));
  EXPECT_EQ(host.texts(), std::vector<std::string>{"Error opening dictionary '" + dir.file("absent") +
                                                   "'. May not exist."});
  EXPECT_FALSE(OutputExists());
}

// Each module reads the path it is given as its own format, whatever the file's extension:
// a misnamed file converts, reads and is described as its well-named copy, and the
// messages name it as shown.
TEST_F(VeskConvTest, AMisnamedFileIsReadAsItsModuleSays) {
  VeskBuilder work;
  work.Section({.name = "A", .code = "9"});
  work.Variable({.name = "X", .start = 1, .len = 4});
  struct Case {
    const FormatModule* module;
    VeskBuilder build;
    const char* named;     // under its own extension
    const char* misnamed;  // the same bytes
  };
  const Case cases[] = {
      {&VeskDictFormat(), Household(), "survey.dic", "survey.txt"},
      {&VeskDictFormat(), Household(), "plain.dic", "plain"},
      {&VeskDictFormat(), Household(), "as-work.dic", "as-work.wst"},
      {&VeskWorkFormat(), work, "work.wst", "work"},
      {&VeskWorkFormat(), work, "other.wst", "other.dic"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.misnamed);
    host = HookHost();
    ASSERT_TRUE(c.build.WriteTo(dir.file(c.named)));
    ASSERT_TRUE(c.build.WriteTo(dir.file(c.misnamed)));
    ASSERT_TRUE(ConvertFile(dir.file(c.named))) << Messages();
    const std::string expected = ReadTextFile(output);
    fs::remove(output);

    FormatContext context{host, '.', false};
    const InputFile input{dir.file(c.misnamed), dir.file(c.misnamed)};
    const ConversionResult result = c.module->convertToTravo({input, output, false}, context);
    EXPECT_TRUE(result.wroteOutput) << Messages();
    EXPECT_EQ(result.written.dictionary, output);
    EXPECT_EQ(ReadTextFile(output), expected);
    std::unique_ptr<CDataDict> read = c.module->readDictionary(input, context);
    ASSERT_NE(read, nullptr) << Messages();
    EXPECT_EQ(CountDictionary(*read), result.written.counts);
    EXPECT_EQ(host.texts(), std::vector<std::string>{});

    std::ostringstream described, describedNamed;
    std::string error;
    ASSERT_TRUE(c.module->describe({input.path, dir.file(c.named)}, true, described, error)) << error;
    ASSERT_TRUE(c.module->describe({dir.file(c.named), dir.file(c.named)}, true, describedNamed, error)) << error;
    EXPECT_EQ(described.str(), describedNamed.str());
  }

  // A damaged file read under another name: the message names the file as shown.
  VeskBuilder broken = WithHeader();
  broken.Truncate(40);
  ASSERT_TRUE(broken.WriteTo(dir.file("link.dic")));
  host = HookHost();
  FormatContext context{host};
  const InputFile input{dir.file("link.dic"), "given.bin"};
  EXPECT_FALSE(VeskDictFormat().convertToTravo({input, output, false}, context).wroteOutput);
  EXPECT_EQ(VeskDictFormat().readDictionary(input, context), nullptr);
  EXPECT_EQ(host.texts(), std::vector<std::string>(2, "Error loading dictionary 'given.bin'. Possibly corrupt."));
  std::ostringstream out;
  std::string error;
  EXPECT_FALSE(VeskDictFormat().describe(input, false, out, error));
  EXPECT_EQ(error, "Cannot load VESK dictionary given.bin: the header is shorter than 64 bytes (status 4041).");
}

// Each module bids on the first bytes of its own format only.
TEST(VeskFormats, EachBidsOnItsOwnBytes) {
  VeskBuilder dict = WithHeader();
  dict.Section({.name = "A"});
  dict.Variable({.name = "X", .start = 5});
  VeskBuilder work;
  work.Section({.name = "A"});
  work.Variable({.name = "X", .start = 5});
  TempDir dir;
  ASSERT_TRUE(dict.WriteTo(dir.file("d.dic")));
  ASSERT_TRUE(work.WriteTo(dir.file("w.wst")));
  const std::string dictBytes = ReadTextFile(dir.file("d.dic"));
  const std::string workBytes = ReadTextFile(dir.file("w.wst"));
  EXPECT_TRUE(VeskDictFormat().detect(dictBytes));
  EXPECT_FALSE(VeskDictFormat().detect(workBytes));
  EXPECT_TRUE(VeskWorkFormat().detect(workBytes));
  EXPECT_FALSE(VeskWorkFormat().detect(dictBytes));
  // Text that starts with the tag letters: its "numbers" are far beyond sensible sizes.
  const std::string text = "Dictionary notes, written as plain text that only happens to start with a D.\n";
  EXPECT_FALSE(VeskDictFormat().detect(text));
  EXPECT_FALSE(VeskWorkFormat().detect("S" + text));
  EXPECT_FALSE(VeskDictFormat().detect(dictBytes.substr(0, 63)));
}

// The outputs are checked before the input is read: the input here does not exist, yet
// only the output is complained about.
TEST_F(VeskConvTest, AnUnwritableOutputIsRefusedBeforeReading) {
  struct Case {
    const char* what;
    std::string output;
    std::string dcf;
  };
  fs::create_directory(dir.file("folder.dcf"));
  const Case cases[] = {
      {"missing folder", dir.file("no/such/out.xyz"), dir.file("no/such/out.dcf")},
      {"the .dcf is a folder", dir.file("folder.xyz"), dir.file("folder.dcf")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = HookHost();
    output = c.output;
    EXPECT_FALSE(ConvertFile(dir.file("absent.dic")));
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Can't open file '" + c.dcf + "'"});
    EXPECT_EQ(host.progressOpen, 0);
  }
  EXPECT_FALSE(fs::exists(dir.file("no")));
  EXPECT_TRUE(fs::is_directory(dir.file("folder.dcf")));
}

// The bar runs from 1 to the number of variables in steps of 1, one step per variable that
// goes into a record (HID is an identification item and takes none), then is set full.
TEST_F(VeskConvTest, ProgressStepsOncePerRecordVariableAndSuccessSaysNothing) {
  ASSERT_TRUE(Convert(Household())) << Messages();
  EXPECT_TRUE(app.LastConversionWroteOutput());
  EXPECT_TRUE(host.messages.empty()) << Messages();
  EXPECT_EQ(host.title, "Travo 4.0 Convert Dictionary");
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"Converting ...", "Validating ...", "Saving ...", "Saving ..."}));
  EXPECT_EQ(host.ranges, (std::vector<std::pair<int, int>>{{1, 4}}));
  EXPECT_EQ(host.positions, (std::vector<int>{2, 3, 4, 4}));
  EXPECT_EQ(host.checks, 2);
  EXPECT_EQ(host.progressWindows, 1);
  EXPECT_EQ(host.progressOpen, 0);
}

TEST_F(VeskConvTest, CancelBeforeSavingWritesNothing) {
  const std::string previous = "[Dictionary]\nprevious\n";
  WriteText(output, previous);
  host.cancelAtCheck = 1;
  EXPECT_FALSE(Convert(Household()));
  EXPECT_FALSE(app.LastConversionWroteOutput());
  EXPECT_TRUE(host.messages.empty()) << Messages();
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"Converting ...", "Validating ...", "Saving ..."}));
  EXPECT_EQ(ReadTextFile(output), previous);
  EXPECT_EQ(host.progressOpen, 0);
  // Nothing half-written is left beside it either.
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(dir.path())) entries += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(entries, 2);  // the input and the previous output
}

// Cancelled at the last poll the dictionary is already complete, and the conversion counts
// as one that wrote its output.
TEST_F(VeskConvTest, CancelAfterSavingKeepsTheDictionary) {
  host.cancelAtCheck = 2;
  EXPECT_TRUE(Convert(Household()));
  EXPECT_TRUE(app.LastConversionWroteOutput());
  EXPECT_TRUE(host.messages.empty()) << Messages();
  EXPECT_EQ(host.checks, 2);
  EXPECT_EQ(Result().GetLevel(0)->GetNumRecords(), 2);
  EXPECT_EQ(host.progressOpen, 0);
}

// The output passed the check before reading, but a folder took its place while the
// dictionary was being made: the save fails, says why, and is no success.
TEST_F(VeskConvTest, AFailedSaveIsReportedWithTheReason) {
  host.onPoll = [&](int poll) {
    if (poll == 1) fs::create_directory(output);
  };
  EXPECT_FALSE(Convert(Household()));
  EXPECT_FALSE(app.LastConversionWroteOutput());
  EXPECT_EQ(host.texts(), std::vector<std::string>{"Error saving dictionary '" + output + "'.\n\nCannot write " +
                                                   output + ": it is a folder."});
  EXPECT_TRUE(fs::is_directory(output));
  EXPECT_EQ(host.checks, 1);
  EXPECT_EQ(host.progressOpen, 0);
}

// Labels are CP850 in the file (0x82 is e acute) and UTF-8 in the dictionary; names and
// codes are not texts to convert.
TEST_F(VeskConvTest, LabelsAreConvertedFromTheOemCodePage) {
  VeskBuilder b = WithHeader({.labels = {"Enqu\x82te"}});
  b.Section({.name = "R", .labels = {"Caract\x82ristiques"}});
  b.Variable({.name = "X", .start = 5, .len = 1, .labels = {"Qualit\x82", "1", "El\x82v\x82"}});
  const CDataDict dict = Converted(b);
  EXPECT_EQ(dict.GetLabel(), "Enqu\xC3\xA9te");
  const CDictRecord* record = dict.GetLevel(0)->GetRecord(0);
  EXPECT_EQ(record->GetLabel(), "Caract\xC3\xA9ristiques");
  const CDictItem* item = record->GetItem(0);
  EXPECT_EQ(item->GetLabel(), "Qualit\xC3\xA9");
  ASSERT_EQ(item->GetNumVSets(), 1);
  EXPECT_EQ(item->GetVSet(0)->GetLabel(), "Qualit\xC3\xA9");
  EXPECT_EQ(item->GetVSet(0)->GetValue(0)->GetLabel(), "El\xC3\xA9v\xC3\xA9");
}

}  // namespace
}  // namespace veskconvtest
