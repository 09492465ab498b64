// End-to-end tests of travo-convert-cli: its contract of arguments, messages and exit status.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "RecordingHost.h"
#include "RunProcess.h"
#include "VeskBuilder.h"
#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"
#include "libs/util/FileNames.h"

namespace {

ProcessResult Cli(const TempDir& dir, const std::vector<std::string>& args) {
  return RunProcess(TRAVO_CLI_PATH, args, dir.path().string());
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A small dictionary with one of everything, texts untrimmed.
CDataDict SampleDictionary() {
  CDataDict dict;
  dict.SetName("SURVEY");
  dict.SetLabel("Survey ");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(1);
  dict.SetZeroFill(true);
  CDictLevel level;
  level.SetName("QUEST");
  level.SetLabel("Questionnaire");
  dict.AddLevel(&level);
  CDictItem id;
  id.SetName("HH_ID");
  id.SetLabel("Household id");
  id.SetStart(2);
  id.SetLen(4);
  CDictRecord idItems;
  idItems.AddItem(&id);
  dict.GetLevel(0)->SetIdItemsRec(&idItems);
  CDictValue value;
  value.SetLabel("Refused");
  value.SetName("MISSING");
  value.SetSpecial(true);
  value.SetValueType(MissingType);
  CDictVPair pair("9", "");
  value.AddVPair(&pair);
  CDictVSet vset;
  vset.SetName("AGE_VS1");
  vset.SetLabel("Age");
  vset.AddValue(&value);
  CDictItem age;
  age.SetName("AGE");
  age.SetLabel("Age");
  age.SetStart(6);
  age.SetLen(2);
  age.AddVSet(&vset);
  CDictRecord person;
  person.SetName("PERSON");
  person.SetLabel("Person");
  person.SetRecTypeVal("2");
  person.SetMaxRecs(30);
  person.SetRecLen(7);
  person.AddItem(&age);
  dict.GetLevel(0)->AddRecord(&person);
  return dict;
}

std::vector<std::string> Keys(const nlohmann::ordered_json& object) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : object.items()) keys.push_back(key);
  return keys;
}

TEST(CliUsage, BadArgumentsExitWithStatusTwo) {
  TempDir dir;
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"convert", "only-one.ddw"},
      {"convert", "a.ddw", "b.dcf", "c.dcf"},
      {"convert", "--kind", "7", "a.ddw", "b.dcf"},
      {"convert", "--kind"},
      {"convert", "a.txt", "b.dcf"},
      {"convert", "--oem-codepage", "NO-SUCH-CODEPAGE", "a.ddw", "b.dcf"},
      {"convert", "--bogus", "a.ddw", "b.dcf"},
      {"inspect"},
      {"inspect", "--xml", "a.dcf"},
  };
  for (const auto& args : cases) {
    ProcessResult r = Cli(dir, args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(r.status, 2) << joined;
    EXPECT_NE(r.err.find("usage: travo-convert-cli"), std::string::npos) << joined;
  }
}

TEST(CliConvert, KindFiveOnlySaysItIsNotImplemented) {
  TempDir dir;
  const std::string input = dir.file("survey.dcf");
  ASSERT_TRUE(SampleDictionary().Save(input));
  for (const char* kind : {"5", "to-vesk"}) {
    ProcessResult r = Cli(dir, {"convert", "--kind", kind, input, dir.file("survey.dic")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Travo 2.0 to VESK not implemented yet!\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("survey.dic")));
  }
}

TEST(CliConvert, RefusesMissingInputAndMissingOutputFolder) {
  TempDir dir;
  ProcessResult missing = Cli(dir, {"convert", dir.file("absent.ddw"), dir.file("out.dcf")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("absent.ddw"), std::string::npos);

  const std::string input = dir.file("survey.ddw");
  WriteFile(input, "[Dictionary]\nVersion=ORVA 4.1\n");
  ProcessResult noFolder = Cli(dir, {"convert", input, dir.file("no/such/folder/out.dcf")});
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_NE(noFolder.err.find("no/such/folder"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("no")));
}

TEST(CliConvert, ExistingOutputIsKeptUnlessTheUserSaysYes) {
  TempDir dir;
  const std::string input = dir.file("survey.dcf");
  ASSERT_TRUE(SampleDictionary().Save(input));
  const std::string output = dir.file("survey.dd");
  WriteFile(output, "previous");
  // No terminal to ask on: the answer is No and the file stays as it was.
  ProcessResult r = Cli(dir, {"convert", input, output});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadTextFile(output), "previous");
}

TEST(CliConvert, CtrlCStopsTheConversionAndWritesNothing) {
  TempDir dir;
  const std::string input = dir.file("large.ddw");
  {
    std::ofstream ddw(input, std::ios::binary);
    ddw << "[Dictionary]\nVersion=ORVA 4.1\nName=LARGE\n";
    for (int r = 0; r < 200; ++r) {
      ddw << "[Record]\nName=R" << r << "\nRecordTypeValue=" << r % 10 << "\n";
      for (int i = 0; i < 1000; ++i) {
        ddw << "[Item]\nName=I" << r << "_" << i << "\nLabel=Item " << i << "\nStart=" << 2 + i
            << "\nLen=1\n[ValueSet]\nValue=1:5;Valid\nValue=9;Refused\n";
      }
    }
  }
  const std::string output = dir.file("large.dcf");
  ProcessResult r = RunProcess(TRAVO_CLI_PATH, {"convert", "--quiet", input, output}, dir.path().string(), 300);
  EXPECT_EQ(r.status, 130) << r.err;
  EXPECT_FALSE(std::filesystem::exists(output));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string().find("large.dcf"), std::string::npos) << entry.path();
  }
}

TEST(CliConvert, Orva41DictionaryConvertsWithItsSuccessMessage) {
  TempDir dir;
  const std::string input = dir.file("survey.ddw");
  WriteFile(input,
            "[Dictionary]\nVersion=ORVA 4.1\nLabel=Survey\n[Record]\nName=PERSON\n"
            "[Item]\nName=AGE\nStart=1\nLen=2\n[ValueSet]\nValue=0:95;Years\n");
  const std::string output = dir.file("survey.dcf");
  ProcessResult r = Cli(dir, {"convert", input, output});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "ORVA 4.1 Dictionary successfully converted.\n");
  CDataDict dict;
  ASSERT_TRUE(dict.Open(output));
  EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetItem(0)->GetName(), "AGE");
}

// A VESK dictionary with a household section; without header for a work dictionary.
vesktest::VeskBuilder VeskSample(bool work) {
  vesktest::VeskBuilder b;
  if (!work) b.Header({});
  b.Section({.name = "HH"});
  b.Variable({.name = "ROOMS", .start = 5, .len = 2, .labels = {"Rooms", "99", "Unknown"}});
  return b;
}

TEST(CliConvert, VeskDictionariesConvertByExtensionOrByKind) {
  struct Case {
    const char* input;
    std::vector<std::string> kind;
    const char* output;
  };
  const Case cases[] = {
      {"survey.dic", {}, "survey.dcf"},
      {"work.wst", {"--kind", "vesk"}, "work.dcf"},
      {"other.wst", {"--kind", "3"}, "other.dcf"},
      {"UPPER.WST", {}, "upper.dcf"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    const std::string input = dir.file(c.input);
    ASSERT_TRUE(VeskSample(GetLowerFileExtension(input) == "wst").WriteTo(input));
    std::vector<std::string> args = {"convert"};
    args.insert(args.end(), c.kind.begin(), c.kind.end());
    args.push_back(input);
    args.push_back(dir.file(c.output));
    ProcessResult r = Cli(dir, args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    CDataDict dict;
    ASSERT_TRUE(dict.Open(dir.file(c.output))) << dict.GetLastError();
    ASSERT_EQ(dict.GetNumLevels(), 1);
    const CDictItem* rooms = dict.GetLevel(0)->GetRecord(0)->GetItem(0);
    EXPECT_EQ(rooms->GetName(), "ROOMS");
    EXPECT_EQ(rooms->GetVSet(0)->GetValue(0)->GetLabel(), "Unknown");
  }
}

TEST(CliConvert, CorruptVeskDictionaryFailsWithTheLoadMessage) {
  TempDir dir;
  vesktest::VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Truncate(b.Variable({.start = 5}) + 40);
  const std::string input = dir.file("broken.dic");
  ASSERT_TRUE(b.WriteTo(input));
  ProcessResult r = Cli(dir, {"convert", input, dir.file("broken.dcf")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error loading dictionary '" + input + "'. Possibly corrupt.\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("broken.dcf")));
}

TEST(CliConvert, VeskFormsConvertByExtensionOrByKind) {
  TempDir dir;
  const std::string input = dir.file("survey.dic");
  vesktest::VeskBuilder b = VeskSample(false);
  b.Form({.name = "HF", .fields = 1, .text = "Rooms [  ]\n"});
  ASSERT_TRUE(b.WriteTo(input));
  const std::vector<std::vector<std::string>> calls = {
      {"convert", input, dir.file("survey.fmf")},
      {"convert", "--kind", "vesk-forms", input, dir.file("named.xyz")},
      {"convert", "--kind", "4", input, dir.file("number.fmf")},
  };
  for (const auto& args : calls) {
    SCOPED_TRACE(args.back());
    ProcessResult r = Cli(dir, args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // nothing but the conversion's own messages on stderr
    const std::string base = args.back().substr(0, args.back().rfind('.'));
    CDataDict dict;
    ASSERT_TRUE(dict.Open(base + ".dcf")) << dict.GetLastError();
    CDEFormFile forms;
    ASSERT_TRUE(forms.Open(base + ".fmf")) << forms.GetLastError();
    ASSERT_EQ(forms.GetNumForms(), 1);
    EXPECT_EQ(forms.GetForm(0)->GetName(), "HF");
  }
}

TEST(CliConvert, VeskFormsWithoutFormsKeepThePreviousFormsFile) {
  TempDir dir;
  const std::string input = dir.file("survey.dic");
  ASSERT_TRUE(VeskSample(false).WriteTo(input));
  WriteFile(dir.file("survey.fmf"), "previous forms");
  ProcessResult r = Cli(dir, {"convert", "--yes", input, dir.file("survey.fmf")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("There is no forms to generate. Form File '" + dir.file("survey.fmf") +
                       "' (Dic 'SURVEY') will be not generated"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ReadTextFile(dir.file("survey.fmf")), "previous forms");
  CDataDict dict;
  EXPECT_TRUE(dict.Open(dir.file("survey.dcf"))) << dict.GetLastError();
}

// A VESK dictionary with two forms, for the printing commands.
vesktest::VeskBuilder VeskWithForms(bool work) {
  vesktest::VeskBuilder b;
  if (!work) b.Header({});
  b.Section({.name = "HH"});
  b.Variable({.name = "ROOMS", .start = 5, .len = 2, .form = "HF", .col = 7});
  b.Variable({.name = "WALLS", .start = 7, .len = 1, .form = "HG"});
  b.Form({.name = "HF", .fields = 1, .text = "Rooms [  ]\n"});
  b.Form({.name = "HG", .fields = 1, .text = "[ ] Walls\n"});
  return b;
}

TEST(CliVesk, ReportWritesTheListingToStdoutOrAFile) {
  TempDir dir;
  const std::string expected =
      "\n****** KEYWORDS INFORMATION\n\n*** NONE\n\n\n****** SECTION INFORMATION\n"
      "\n*** SECCION='HH'\nVAR='ROOMS'\nVAR='WALLS'\n"
      "FRM='HF'\nPRINTING FORM: 'HF'\nRooms     \nVAR='ROOMS', ROW=0, COL=7\n"
      "FRM='HG'\nPRINTING FORM: 'HG'\n    Walls\nVAR='WALLS', ROW=0, COL=0\n\n";
  for (const char* name : {"survey.dic", "WORK.WST"}) {
    SCOPED_TRACE(name);
    const std::string input = dir.file(name);
    ASSERT_TRUE(VeskWithForms(GetLowerFileExtension(input) == "wst").WriteTo(input));
    ProcessResult r = Cli(dir, {"vesk-report", input});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");

    const std::string listing = dir.file("listing.txt");
    WriteFile(listing, "an older listing");
    r = Cli(dir, {"vesk-report", input, "-o", listing});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadTextFile(listing), expected);
  }

  const std::string input = dir.file("survey.dic");
  ProcessResult r = Cli(dir, {"vesk-report", input, "-o", dir.file("missing/listing.txt")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(dir.file("missing/listing.txt")), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));

  // A listing that cannot be written to stdout (a full disk) is not a listing written.
  const std::string command = std::string("'") + TRAVO_CLI_PATH + "' vesk-report '" + input + "' > /dev/full 2> '" +
                              dir.file("err.txt") + "'";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_NE(ReadTextFile(dir.file("err.txt")).find("cannot write"), std::string::npos);
}

TEST(CliVesk, HtmlWritesALinkedPagePerFormIntoTheFolder) {
  TempDir dir;
  const std::string input = dir.file("survey.dic");
  ASSERT_TRUE(VeskWithForms(false).WriteTo(input));
  const std::string folder = dir.file("pages/new");
  ProcessResult r = Cli(dir, {"vesk-html", input, "-d", folder});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadTextFile(folder + "/HF.HTM"),
            "<HTML>\n<HEAD>\n<TITLE>DICTIONARY 'SURVEY' SECTION 'HH' FORM 'HF'</TITLE>\n</HEAD>\n<BODY>\n"
            "<FONT SIZE=\"3\" FACE=\"MS LineDraw\">\n<PRE>\n"
            "<P><FONT SIZE=\"4\" face=\"Courier New\"><CENTER>        "
            "<a href=\"HG.HTM\"><em><strong>NEXT</strong></em></a></CENTER></FONT></P>\n"
            "Rooms  <INPUT TYPE=TEXT NAME=ROOMS SIZE=2 MAXLENGTH=2> \n<HR>\n"
            "<P><FONT SIZE=\"4\" face=\"Courier New\"><CENTER>        "
            "<a href=\"HG.HTM\"><em><strong>NEXT</strong></em></a></CENTER></FONT></P>\n"
            "</PRE>\n</FONT>\n</BODY>\n</HTML>\n");
  const std::string hg = ReadTextFile(folder + "/HG.HTM");
  EXPECT_NE(hg.find("<a href=\"HF.HTM\"><em><strong>BACK</strong></em></a>        </CENTER>"), std::string::npos)
      << hg;
  EXPECT_NE(hg.find("<INPUT TYPE=TEXT NAME=WALLS SIZE=1 MAXLENGTH=1>   Walls\n"), std::string::npos) << hg;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);

  // A folder that cannot be made, and a page that cannot be written (a folder in its way).
  WriteFile(dir.file("blocker"), "a file");
  std::filesystem::create_directories(dir.file("taken/HG.HTM"));
  struct Case {
    std::string folder, named;
  } cases[] = {{dir.file("blocker/pages"), dir.file("blocker/pages")}, {dir.file("taken"), "HG.HTM"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    r = Cli(dir, {"vesk-html", input, "-d", c.folder});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
}

TEST(CliVesk, UnreadableDictionariesAndUsageErrors) {
  TempDir dir;
  vesktest::VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Truncate(b.Variable({.start = 5}) + 40);
  const std::string broken = dir.file("broken.dic");
  ASSERT_TRUE(b.WriteTo(broken));
  const std::string absent = dir.file("absent.dic");
  ASSERT_EQ(mkfifo(dir.file("pipe.dic").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // the whole of stderr, or for usage errors its first line
  } cases[] = {
      {{"vesk-report", broken},
       1,
       "Cannot load VESK dictionary " + broken + ": a variable record or its blocks are short (status 7011).\n"},
      {{"vesk-html", absent, "-d", dir.file("out")},
       1,
       "Cannot open VESK dictionary " + absent + ": the file cannot be opened (status 4022).\n"},
      {{"vesk-report", dir.file("pipe.dic")},
       1,
       "Cannot load VESK dictionary " + dir.file("pipe.dic") + ": it is not a regular file.\n"},
      {{"vesk-report"}, 2, "travo-convert-cli: vesk-report needs one DIC"},
      {{"vesk-report", "a.dic", "b.dic"}, 2, "travo-convert-cli: vesk-report needs one DIC"},
      {{"vesk-report", "a.dic", "-o"}, 2, "travo-convert-cli: -o needs a value"},
      {{"vesk-report", "a.dic", "-o", "x", "-o", "y"}, 2, "travo-convert-cli: -o is given twice"},
      {{"vesk-report", "--bogus", "a.dic"}, 2, "travo-convert-cli: unknown option '--bogus'"},
      {{"vesk-html", "a.dic"}, 2, "travo-convert-cli: vesk-html needs one DIC and -d DIR"},
      {{"vesk-html", "-d", "x"}, 2, "travo-convert-cli: vesk-html needs one DIC and -d DIR"},
      {{"vesk-html", "a.dic", "-o", "x"}, 2, "travo-convert-cli: unknown option '-o'"},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    ProcessResult r = Cli(dir, c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, "");
    if (c.status == 2) {
      EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err);
      EXPECT_NE(r.err.find("usage: travo-convert-cli"), std::string::npos);
    } else {
      EXPECT_EQ(r.err, c.err);
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

TEST(CliInspect, TravoDictionaryAsJsonHasTheContractKeys) {
  TempDir dir;
  const std::string path = dir.file("survey.dcf");
  ASSERT_TRUE(SampleDictionary().Save(path));
  ProcessResult r = Cli(dir, {"inspect", "--json", path});
  ASSERT_EQ(r.status, 0) << r.err;
  auto json = nlohmann::ordered_json::parse(r.out);
  using V = std::vector<std::string>;
  EXPECT_EQ(Keys(json), (V{"format", "name", "label", "note", "recTypeStart", "recTypeLen", "posRelative",
                           "zeroFill", "decChar", "levels"}));
  EXPECT_EQ(json["format"], "travo-dictionary");
  EXPECT_EQ(json["label"], "Survey ");  // texts exactly as held
  const auto& level = json["levels"][0];
  EXPECT_EQ(Keys(level), (V{"name", "label", "idItems", "records"}));
  const V recordKeys{"name", "label", "note", "recTypeValue", "required", "maxRecs", "recLen", "items"};
  EXPECT_EQ(Keys(level["idItems"]), recordKeys);
  const auto& record = level["records"][0];
  EXPECT_EQ(Keys(record), recordKeys);
  EXPECT_EQ(record["maxRecs"], 30);
  EXPECT_EQ(record["required"], false);
  const auto& item = record["items"][0];
  EXPECT_EQ(Keys(item), (V{"name", "label", "note", "start", "len", "occurs", "decimals", "dataType", "itemType",
                           "decChar", "zeroFill", "valueSets"}));
  EXPECT_EQ(item["start"], 6);
  const auto& vset = item["valueSets"][0];
  EXPECT_EQ(Keys(vset), (V{"name", "label", "note", "values"}));
  const auto& value = vset["values"][0];
  EXPECT_EQ(Keys(value), (V{"name", "label", "note", "valueType", "special", "pairs"}));
  EXPECT_EQ(value["valueType"], 1);
  EXPECT_EQ(value["special"], true);
  EXPECT_EQ(value["pairs"][0], (nlohmann::ordered_json{{"from", "9"}, {"to", ""}}));
}

TEST(CliInspect, TextShowsTheTree) {
  TempDir dir;
  const std::string path = dir.file("survey.dcf");
  ASSERT_TRUE(SampleDictionary().Save(path));
  ProcessResult r = Cli(dir, {"inspect", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Record PERSON"), std::string::npos);
  EXPECT_NE(r.out.find("Item AGE"), std::string::npos);
  EXPECT_NE(r.out.find("[MISSING, missing]"), std::string::npos);
}

TEST(CliInspect, UnreadableFilesFailWithAReason) {
  TempDir dir;
  WriteFile(dir.file("broken.dcf"), "[Dictionary]\nVersion=Travo 4.0\n[Nonsense\n");
  std::filesystem::create_directory(dir.file("folder.dcf"));
  for (const char* name : {"broken.dcf", "absent.dcf", "folder.dcf", "notes.txt"}) {
    ProcessResult r = Cli(dir, {"inspect", dir.file(name)});
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_FALSE(r.err.empty()) << name;
    EXPECT_TRUE(r.out.empty()) << name;
  }
}

// A description that cannot be written (a full disk) is a failure, not a file shown.
TEST(CliInspect, OutputThatCannotBeWrittenFails) {
  TempDir dir;
  const std::string path = dir.file("survey.dcf");
  ASSERT_TRUE(SampleDictionary().Save(path));
  for (const char* format : {"", "--json "}) {
    const std::string command = std::string("'") + TRAVO_CLI_PATH + "' inspect " + format + "'" + path +
                                "' > /dev/full 2> '" + dir.file("err.txt") + "'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << format;
    EXPECT_EQ(WEXITSTATUS(raw), 1) << format;
    EXPECT_NE(ReadTextFile(dir.file("err.txt")).find("cannot write"), std::string::npos) << format;
  }
}

// A named pipe in place of a file of any kind is refused, never waited on.
TEST(CliInspect, NamedPipesAreRefusedWithoutWaiting) {
  TempDir dir;
  const std::vector<std::string> names = {"pipe.dcf", "pipe.fmf", "pipe.ddw", "pipe.dd", "pipe.dic"};
  for (const std::string& name : names) ASSERT_EQ(mkfifo(dir.file(name).c_str(), 0600), 0) << name;
  // Lets a reader blocked on a pipe go after a while, so that a fault fails the test
  // rather than hanging it.
  std::atomic<bool> done{false};
  std::thread releaser([&] {
    for (int tick = 0; tick < 100 && !done; ++tick) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    while (!done) {
      for (const std::string& name : names) close(open(dir.file(name).c_str(), O_WRONLY | O_NONBLOCK));
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  for (const std::string& name : names) {
    const auto start = std::chrono::steady_clock::now();
    ProcessResult r = Cli(dir, {"inspect", dir.file(name)});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << name;
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << name << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << name;
  }
  done = true;
  releaser.join();
}

}  // namespace
