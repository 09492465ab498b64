// End-to-end tests of travo-convert-cli: its contract of arguments, messages and exit status.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "Files.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "SampleDictionaries.h"
#include "VeskSamples.h"
#include "VeskBuilder.h"
#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"
#include "libs/util/FileNames.h"
#include "libs/util/TextTools.h"

namespace {

// A small dictionary with one of everything, texts untrimmed.
CDataDict SampleDictionary() {
  CDataDict dict = samples::Survey(
      {samples::Item("AGE", "Age", 6, 2, samples::ValueSet("AGE_VS1", "Age", {samples::MissingValue("Refused", "9")}))},
      7);
  dict.SetLabel("Survey ");
  dict.SetZeroFill(true);
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
    EXPECT_EQ(r.status, 2) << Joined(args);
    EXPECT_NE(r.err.find("usage: travo-convert-cli"), std::string::npos) << Joined(args);
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
  ProcessResult r = RunProcessInterruptedWhileReading(TRAVO_CLI_PATH, {"convert", "--quiet", input, output},
                                                      dir.path().string(), std::filesystem::canonical(input).string());
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

// An output that is the input file itself, by its name, a link or as the dictionary beside a
// forms file, is refused before any question, --yes or not; the input stays byte for byte
// and nothing else is written.
TEST(CliConvert, AConversionNeverReplacesItsInput) {
  TempDir dir;
  const std::string ddw = dir.file("survey.ddw");
  WriteFile(ddw, "[Dictionary]\nVersion=ORVA 4.1\nLabel=Survey\n[Record]\nName=PERSON\n[Item]\nName=AGE\nStart=1\nLen=2\n");
  const std::string vesk = dir.file("hh.dcf");  // a VESK dictionary under a Travo dictionary's name
  ASSERT_TRUE(VeskSample(false).WriteTo(vesk));
  std::filesystem::create_symlink(ddw, dir.file("link.dcf"));
  std::filesystem::create_hard_link(ddw, dir.file("hard.dcf"));
  struct Case {
    std::vector<std::string> args;  // after "convert --yes"
    std::string refused;            // the file named
  } cases[] = {
      {{"--kind", "1", ddw, ddw}, ddw},
      {{"--kind", "orva41", ddw, dir.file("nowhere/../survey.ddw")}, ddw},
      {{ddw, dir.file("link.dcf")}, dir.file("link.dcf")},
      {{ddw, dir.file("hard.dcf")}, dir.file("hard.dcf")},
      {{"--kind", "3", vesk, dir.file("hh.xyz")}, vesk},
      {{"--kind", "4", vesk, dir.file("hh.fmf")}, vesk},
  };
  const std::set<std::string> files = {"hard.dcf", "hh.dcf", "link.dcf", "survey.ddw"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const std::string input = c.args[c.args.size() - 2];
    const std::string before = ReadTextFile(input);
    std::vector<std::string> args = {"convert", "--yes"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProcessResult r = Cli(dir, args);
    EXPECT_EQ(r.status, 1);
    const std::string message =
        c.refused + "\n\nThis file is the input of the conversion.\nIt cannot be replaced by the output.\n";
    EXPECT_TRUE(r.err.ends_with(message)) << r.err;
    EXPECT_EQ(r.err.find("already exists"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadTextFile(input), before);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.dcf")));
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      if (entry.path().filename().string()[0] != '.') found.insert(entry.path().filename().string());
    }
    EXPECT_EQ(found, files);
  }
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
    SCOPED_TRACE(Joined(c.args));
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

TEST(CliVeskData, WritesOneCsvPerSectionWithItsRecords) {
  TempDir dir;
  const std::string dic = dir.file("survey.dic");
  ASSERT_TRUE(vesktest::DataSample().WriteTo(dic));
  const std::string data = dir.file("data.txt");
  WriteFile(data, std::string("0011M\x81ller  0312.50\r\n") +  // OEM u-umlaut in the name
                      "0012 71Ann2Bob\r\n"                     // a person with two children
                      "0012\r\n"                               // short: blank beyond its end
                      "0019xyz\r\n"                            // no section has code 9
                      "0022981\"a,\n"                           // LF only; a cell to quote
                      "0021Zo      99ab");                     // last line without an end
  // An earlier file of a section without records stays as it was.
  std::filesystem::create_directories(dir.file("out"));
  WriteFile(dir.file("out/EMPTY.csv"), "old");
  ProcessResult r = Cli(dir, {"vesk-data", dic, data, "-d", dir.file("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Line 4 of " + data + ": record type \"9\" belongs to no section; the line is left out.\n");
  EXPECT_EQ(ReadTextFile(dir.file("out/HH.csv")),
            "line,ID,NAME,ROOMS,INC\r\n"
            "1,1,M\xC3\xBCller,3,12.50\r\n"
            "6,2,Zo,MISSING,DEFAULT\r\n");
  EXPECT_EQ(ReadTextFile(dir.file("out/PERSON.csv")),
            "line,PID,AGE,KID_1,KID_2,KNAME_1,KNAME_2\r\n"
            "2,1,7,1,2,Ann,Bob\r\n"
            "3,1,,,,,\r\n"
            "5,2,NOTAPPL,1,,\"\"\"a,\",\r\n");
  EXPECT_EQ(ReadTextFile(dir.file("out/EMPTY.csv")), "old");
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.file("out"))) files += entry.is_regular_file();
  EXPECT_EQ(files, 3u);  // no temporary file left behind

  // Without the stray line everything is written: status 0, nothing on stderr.
  WriteFile(data, "0011Ann     0112.50\n0023\n");
  r = Cli(dir, {"vesk-data", dic, data, "-d", dir.file("out")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadTextFile(dir.file("out/HH.csv")), "line,ID,NAME,ROOMS,INC\r\n1,1,Ann,1,12.50\r\n");
  EXPECT_EQ(ReadTextFile(dir.file("out/EMPTY.csv")), "line,E\r\n2,\r\n");
}

TEST(CliVeskData, WorkDictionaryAndASingleSectionWithoutRecordType) {
  TempDir dir;
  // A work dictionary: codes AA, AB in columns 2 and 3, starts moved right by 3.
  vesktest::VeskBuilder work;
  work.Section({.name = "A"});
  work.Variable({.name = "X", .start = 1, .len = 2, .decimals = 1});
  work.Section({.name = "B"});
  work.Variable({.name = "Y", .type = 'A', .start = 1, .len = 2});
  ASSERT_TRUE(work.WriteTo(dir.file("W.WST")));
  WriteFile(dir.file("w.txt"), "1ABok\n1AA-5\n");
  ProcessResult r = Cli(dir, {"vesk-data", dir.file("W.WST"), dir.file("w.txt"), "-d", dir.file("w")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadTextFile(dir.file("w/A.csv")), "line,X\r\n2,-5.0\r\n");
  EXPECT_EQ(ReadTextFile(dir.file("w/B.csv")), "line,Y\r\n1,ok\r\n");

  // One section and no record-type columns: every line is a record of it.
  vesktest::VeskBuilder one;
  vesktest::HeaderSpec h;
  h.recTypeLen = 0;
  one.Header(h);
  one.Section({.name = "ONLY"});
  one.Variable({.name = "V", .start = 1, .len = 3, .zeroFill = true});
  ASSERT_TRUE(one.WriteTo(dir.file("one.dic")));
  WriteFile(dir.file("one.txt"), "12\n\n  7\n");
  r = Cli(dir, {"vesk-data", dir.file("one.dic"), dir.file("one.txt"), "-d", dir.file("one")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadTextFile(dir.file("one/ONLY.csv")), "line,V\r\n1,12\r\n2,0\r\n3,7\r\n");
}

TEST(CliVeskData, FailuresAndUsageErrors) {
  TempDir dir;
  ASSERT_TRUE(vesktest::DataSample().WriteTo(dir.file("s.dic")));
  WriteFile(dir.file("d.txt"), "0011\n");
  WriteFile(dir.file("a-file"), "");
  vesktest::VeskBuilder broken;
  broken.Header({});
  broken.Section({});
  broken.Truncate(broken.Variable({.start = 5}) + 40);
  ASSERT_TRUE(broken.WriteTo(dir.file("broken.dic")));
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // the first line of stderr
  } cases[] = {
      {{"vesk-data"}, 2, "travo-convert-cli: vesk-data needs a DIC, a DATA file and -d DIR"},
      {{"vesk-data", dir.file("s.dic"), dir.file("d.txt")}, 2, "travo-convert-cli: vesk-data needs a DIC, a DATA file and -d DIR"},
      {{"vesk-data", dir.file("s.dic"), dir.file("d.txt"), "-d"}, 2, "travo-convert-cli: -d needs a folder"},
      {{"vesk-data", "-x", dir.file("s.dic"), dir.file("d.txt"), "-d", "o"}, 2, "travo-convert-cli: unknown option '-x'"},
      {{"vesk-data", dir.file("broken.dic"), dir.file("d.txt"), "-d", dir.file("o")}, 1,
       "Cannot load VESK dictionary " + dir.file("broken.dic") + ": a variable record or its blocks are short (status 7011)."},
      {{"vesk-data", dir.file("none.dic"), dir.file("d.txt"), "-d", dir.file("o")}, 1,
       "Cannot open VESK dictionary " + dir.file("none.dic") + ": the file cannot be opened (status 4022)."},
      {{"vesk-data", dir.file("s.dic"), dir.file("none.txt"), "-d", dir.file("o")}, 1,
       "Cannot read " + dir.file("none.txt") + ": No such file or directory."},
      {{"vesk-data", dir.file("s.dic"), dir.file("d.txt"), "-d", dir.file("a-file")}, 1,
       "Cannot write into " + dir.file("a-file") + ": it is not a folder."},
  };
  for (const Case& c : cases) {
    ProcessResult r = Cli(dir, c.args);
    SCOPED_TRACE(c.err);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err);
    if (c.status == 2) {
      EXPECT_NE(r.err.find("usage: travo-convert-cli"), std::string::npos);
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("o")));

  // A CSV that cannot be written (a folder in its place) fails; the others are written.
  std::filesystem::create_directories(dir.file("out/HH.csv"));
  WriteFile(dir.file("d.txt"), "0011\n0012\n");
  ProcessResult r = Cli(dir, {"vesk-data", dir.file("s.dic"), dir.file("d.txt"), "-d", dir.file("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot write " + dir.file("out/HH.csv") + ": it is a folder.\n");
  EXPECT_EQ(ReadTextFile(dir.file("out/PERSON.csv")), "line,PID,AGE,KID_1,KID_2,KNAME_1,KNAME_2\r\n2,1,,,,,\r\n");
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

const std::string kKeptDescriptions = TRAVO_SOURCE_DIR "/tests/cli/inspect-json/";

void ReplaceEvery(std::string& text, const std::string& marker, const std::string& value) {
  for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size())) {
    text.replace(at, marker.size(), value);
  }
}

// The local date as a VESK header writes it: MMDDYY.
std::string TodayAsMonthDayYear() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d%02d%02d", local.tm_mon + 1, local.tm_mday, local.tm_year % 100);
  return text;
}

// A description that cannot be written (a full disk, a closed output) is a failure, not a
// file shown: whether it fails at the end or, for the larger ones, half-way.
TEST(CliInspect, OutputThatCannotBeWrittenFails) {
  TempDir dir;
  std::vector<std::string> inputs = {dir.file("survey.dcf")};
  ASSERT_TRUE(SampleDictionary().Save(inputs[0]));
  for (const char* kept : {"household.ddw", "sample.fmf", "household-orva31.dd", "household-vesk.dic"}) {
    inputs.push_back(kKeptDescriptions + kept);
  }
  for (const std::string& input : inputs) {
    for (const char* format : {"", "--json "}) {
      for (const char* output : {"> /dev/full", ">&-"}) {
        const std::string command = std::string("'") + TRAVO_CLI_PATH + "' inspect " + format + "'" + input + "' " +
                                    output + " 2> '" + dir.file("err.txt") + "'";
        const int raw = std::system(command.c_str());
        const std::string what = input + " " + format + output;
        ASSERT_TRUE(WIFEXITED(raw)) << what;
        EXPECT_EQ(WEXITSTATUS(raw), 1) << what;
        EXPECT_NE(ReadTextFile(dir.file("err.txt")).find("cannot write"), std::string::npos) << what;
      }
    }
  }
}

// inspect --json of files of every kind gives, byte for byte, the description kept beside
// each input (@DIR@ standing for the folder the input was copied to). The inputs hold
// texts with quotes, backslashes, control characters, non-ASCII and invalid UTF-8, empty
// dictionaries and value sets, forms with every kind of item, and codes written as
// floating-point numbers; a file under a misleading name is named as given.
TEST(CliInspect, JsonIsTheKeptDescriptionByteForByte) {
  struct Case {
    std::string input;
    std::string copiedAs;  // "" for the input's own name
    std::string expected;  // "" for the input's name and ".json"
  };
  const std::vector<Case> cases = {
      {"awkward-texts.dcf"}, {"household.dcf"}, {"small.dcf"}, {"empty.dcf"},
      {"household.ddw"}, {"odd.ddw"}, {"rules.ddw"}, {"eof-value.ddw"},
      {"sample.fmf"}, {"example.fmf"}, {"nested.fmf"}, {"invalid-utf8-text.fmf"},
      {"household-orva31.dd"}, {"awkward.dd"}, {"small.dd"}, {"empty.dd"},
      {"household-vesk.dic"}, {"household.dic"}, {"unordered.dic"}, {"header-only.dic"}, {"work.wst"},
      {"household.dic", "household.dd", "household.dic-as-dd.json"},
      {"awkward.dd", "awkward.txt", "awkward.dd-as-txt.json"},
      {"awkward.dd", "odd \"name\" \\back.txt", "awkward.dd-as-odd-name.json"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string path = dir.file(c.copiedAs.empty() ? c.input : c.copiedAs);
    std::filesystem::copy_file(kKeptDescriptions + c.input, path);
    const std::string dayBefore = TodayAsMonthDayYear();
    ProcessResult r = Cli(dir, {"inspect", "--json", path});
    const std::string dayAfter = TodayAsMonthDayYear();
    ASSERT_EQ(r.status, 0) << c.input << ": " << r.err;
    std::string kept = ReadTextFile(kKeptDescriptions + (c.expected.empty() ? c.input + ".json" : c.expected));
    ASSERT_FALSE(kept.empty()) << c.input;
    ReplaceEvery(kept, "@DIR@", dir.path().string());
    // A work dictionary's header carries the day it is read; the run may cross midnight.
    std::string expected = kept;
    ReplaceEvery(expected, "@TODAY@", dayAfter);
    if (r.out != expected) {
      expected = kept;
      ReplaceEvery(expected, "@TODAY@", dayBefore);
    }
    EXPECT_EQ(r.out, expected) << c.input << " as " << path;
  }
}

// A named pipe in place of a file of any kind is refused, never waited on.
TEST(CliInspect, NamedPipesAreRefusedWithoutWaiting) {
  TempDir dir;
  const std::vector<std::string> names = {"pipe.dcf", "pipe.fmf", "pipe.ddw", "pipe.dd", "pipe.dic"};
  for (const std::string& name : names) ASSERT_EQ(mkfifo(dir.file(name).c_str(), 0600), 0) << name;
  std::vector<std::string> pipes;
  for (const std::string& name : names) pipes.push_back(dir.file(name));
  for (const std::string& name : names) {
    bool waited = false;
    ProcessResult r = RunProcessNotingPipeWaits(TRAVO_CLI_PATH, {"inspect", dir.file(name)}, dir.path().string(), pipes,
                                                waited);
    EXPECT_FALSE(waited) << name;
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << name << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << name;
  }
}

// What travo-convert-cli shows a person of texts read from files: names, labels and notes
// holding escape sequences, C1 controls, DEL or bytes that are not UTF-8 reach stdout and
// stderr in a visible notation, while the files written and the JSON forms keep the texts
// as they are.

// What a terminal would act on: C0 controls but the line feed, DEL, C1 controls (U+0080
// to U+009F), and bytes that are not UTF-8. Empty when there is none.
std::string RawControls(const std::string& text) {
  std::string found;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0;
    if ((c < 0x20 && c != '\n') || c == 0x7F || c1) {
      found += "byte " + std::to_string(c) + " at " + std::to_string(i) + "; ";
    }
  }
  if (ValidUtf8(text) != text) found += "bytes that are not UTF-8";
  return found;
}

// Texts a crafted dictionary carries, and how a terminal is shown them.
const std::string kTitle = "Title\x1B]0;pwned\x07";    // sets the window title
const std::string kTitleShown = "Title^[]0;pwned^G";
const std::string kNote = "Clear\x1B[2J\r\nsecond";     // clears the screen; a note of two lines
const std::string kNoteShown = "Clear^[[2J^M^Jsecond";
const std::string kRecord = "PERSON\x7F";
const std::string kRecordShown = "PERSON^?";
const std::string kRecordLabel = "Person\xC2\x9B" "31m";  // C1 CSI: red text
const std::string kRecordLabelShown = "Person\\u009B31m";
const std::string kItemLabel = "Age\xFF";
const std::string kItemLabelShown = "Age\\xFF";

// An ORVA 4.1 dictionary with those texts, and an unknown command whose message quotes
// its argument.
std::string CraftedOrva41() {
  return "[Dictionary]\nVersion=ORVA 4.1\nLabel=" + kTitle + "\nNote=Clear\x1B[2J\nNote=second\n" +
         "[Record]\nName=" + kRecord + "\nLabel=" + kRecordLabel + "\nRecordTypeValue=1\n" +
         "[Item]\nName=AGE\nLabel=" + kItemLabel + "\nStart=2\nLen=2\nBogus=\x1B[31mred\n" +
         "[ValueSet]\nValue=1;One\x1B[5m\n";
}

// The same dictionary without the controls.
const char kPlainOrva41[] =
    "[Dictionary]\nVersion=ORVA 4.1\nLabel=Title\n[Record]\nName=PERSON\nLabel=Person\nRecordTypeValue=1\n"
    "[Item]\nName=AGE\nLabel=Age\nStart=2\nLen=2\n[ValueSet]\nValue=1;One\n";

// A VESK dictionary whose labels, form name and screen text hold controls (the OEM code
// page keeps them).
bool WriteCraftedVesk(const std::string& path) {
  vesktest::VeskBuilder b;
  b.Header({.labels = {"Survey\x1B]0;pwned\x07"}});
  b.Section({.name = "HH", .labels = {"House\x1B[2J"}});
  b.Variable({.name = "ROOMS", .start = 5, .len = 2, .form = "H\x1B[2J", .row = 1, .col = 7,
              .labels = {"Rooms\x7F", "99", "Unknown\x07"}});
  b.Form({.name = "H\x1B[2J", .fields = 1, .text = "Rooms\x1B[5m [  ]\n"});
  return b.WriteTo(path);
}

class TerminalText : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(File("crafted.ddw"), CraftedOrva41());
    WriteFile(File("plain.ddw"), kPlainOrva41);
    ASSERT_TRUE(WriteCraftedVesk(File("crafted.dic")));
  }
  std::string File(const std::string& name) const { return dir_.file(name); }

  TempDir dir_;
};

// Every text meant for a person: the streams hold no byte a terminal would act on, and
// show each crafted text in its visible form.
TEST_F(TerminalText, OutputForPeopleShowsControlCharactersVisibly) {
  ASSERT_EQ(Cli(dir_, {"convert", File("crafted.ddw"), File("crafted.dcf")}).status, 0);
  ASSERT_EQ(Cli(dir_, {"convert", "--kind", "to-orva31", File("crafted.dcf"), File("crafted.dd")}).status, 0);
  ASSERT_EQ(Cli(dir_, {"convert", File("crafted.dic"), File("forms.fmf")}).status, 0);
  WriteFile(File("data.txt"), "0011\n001\x1B\n");  // the second line's record type is ESC
  WriteFile(File("notes\x1B]0;x\x07.dcf"), "no dictionary\n");
  WriteFile(File("crafted\xC2\x85.txt"), CraftedOrva41());
  const std::string badName = File("bad\x1B[2J.dcf");
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> out, err;  // fragments each stream shows
  };
  const Case cases[] = {
      {{"inspect", File("crafted.ddw")},
       {"Travo dictionary CRAFTED  \"" + kTitleShown + "\"\n", "  note: " + kNoteShown + "\n",
        "    Record " + kRecordShown + "  \"" + kRecordLabelShown + "\"", "Item AGE  \"" + kItemLabelShown + "\"",
        "'1'  \"One^[[5m\""},
       {"Unrecognized command at line 15.\nBogus = ^[[31mred\n"}},
      {{"inspect", File("crafted.dcf")},
       {"\"" + kTitleShown + "\"", "note: " + kNoteShown + "\n", "Record " + kRecordShown}, {}},
      {{"compare", File("crafted.dcf"), File("plain.ddw")},
       {"DICTIONARY: label \"" + kTitleShown + "\" vs \"Title\"\n",
        "DICTIONARY: note \"" + kNoteShown + "\" vs \"\"\n", "QUEST/" + kRecordShown + ": record present vs (none)\n"},
       {}},
      {{"convert", File("crafted.ddw"), File("crafted\xC2\x9B" "2J.dcf")},
       {"wrote " + File("crafted\\u009B2J.dcf") + ": 1 level"},
       {"Bogus = ^[[31mred\n", "ORVA 4.1 Dictionary successfully converted.\n"}},
      {{"convert", File("crafted.ddw"), badName},
       {},
       {VisibleText(badName) + "\n\nThis path name contains invalid characters.\n"}},
      {{"inspect", File("crafted.dd")}, {"record 0 \"" + kRecordShown + "\""}, {}},
      {{"inspect", File("crafted.dic")},
       {"Label: Survey^[]0;pwned^G\n", "Label: House^[[2J\n", "Label: Rooms^?\n", "Value 99: Unknown^G\n",
        "Form H^[[2J:", "    | Rooms^[[5m [  ]\n"},
       {}},
      {{"inspect", File("forms.fmf")}, {"form 0 H^[[2J \""}, {}},
      {{"vesk-data", File("crafted.dic"), File("data.txt"), "-d", File("csv")},
       {},
       {"Line 2 of " + File("data.txt") + ": record type \"^[\" belongs to no section"}},
      // File names, as a folder or a pattern gives them, in the reasons for a failure.
      {{"inspect", File("notes\x1B]0;x\x07")}, {}, {File("notes^[]0;x^G")}},
      {{"convert", File("notes\x1B]0;x\x07.dcf"), File("notes.dd")}, {}, {File("notes^[]0;x^G.dcf")}},
      {{"compare", File("crafted.dcf"), File("gone\x1B[2J.dcf")}, {}, {File("gone^[[2J.dcf: cannot be read")}},
      {{"preview", File("gone\x1B[2J.fmf"), "-d", File("pictures")}, {}, {File("gone^[[2J.fmf")}},
      {{"convert", File("crafted\xC2\x85.txt"), File("noted.dcf")},
       {},
       {"note: " + File("crafted\\u0085.txt") + " is an ORVA 4.1 dictionary; converting it as such\n"}},
  };
  for (const Case& c : cases) {
    std::string call;
    for (const std::string& arg : c.args) call += VisibleText(arg) + " ";
    SCOPED_TRACE(call);
    const ProcessResult r = Cli(dir_, c.args);
    for (const auto& [stream, fragments] : {std::pair{&r.out, &c.out}, std::pair{&r.err, &c.err}}) {
      EXPECT_EQ(RawControls(*stream), "") << VisibleLines(*stream);
      for (const std::string& shown : *fragments) {
        EXPECT_NE(stream->find(shown), std::string::npos) << shown << "\nin\n" << *stream;
      }
    }
  }
}

// The folder form: its table and its log name files and quote messages visibly.
TEST_F(TerminalText, FolderTableAndLogShowControlCharactersVisibly) {
  std::filesystem::create_directories(File("in"));
  WriteFile(File("in/bad\x1B]0;x\x07.ddw"), kPlainOrva41);  // refused for its name
  WriteFile(File("in/crafted.ddw"), CraftedOrva41());
  const ProcessResult r = Cli(dir_, {"convert", "--log", File("convert.log"), "-o", File("out"), File("in")});
  EXPECT_EQ(r.status, 1);
  const std::string bad = File("in/bad^[]0;x^G.ddw");
  const std::string log = ReadTextFile(File("convert.log"));
  for (const std::string* text : {&r.out, &r.err, &log}) EXPECT_EQ(RawControls(*text), "") << VisibleLines(*text);
  EXPECT_NE(r.out.find("failed      " + bad + "  " + bad + "  This path name contains invalid characters.\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.err.find("Bogus = ^[[31mred\n"), std::string::npos) << r.err;
  EXPECT_NE(log.find("input: " + bad + "\n"), std::string::npos) << log;
  EXPECT_NE(log.find("message:\n  Unrecognized command at line 15.\n  Bogus = ^[[31mred\n"), std::string::npos) << log;
}

// The files written and the JSON forms keep the texts as the dictionary holds them.
TEST_F(TerminalText, FilesAndJsonKeepTheTexts) {
  ASSERT_EQ(Cli(dir_, {"convert", File("crafted.ddw"), File("crafted.dcf")}).status, 0);
  CDataDict dict;
  ASSERT_TRUE(dict.Open(File("crafted.dcf"))) << dict.GetLastError();
  EXPECT_EQ(dict.GetLabel(), kTitle);
  EXPECT_EQ(dict.GetNote(), kNote);
  EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetName(), kRecord);
  EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetLabel(), kRecordLabel);
  EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetItem(0)->GetLabel(), kItemLabel);

  const ProcessResult inspected = Cli(dir_, {"inspect", "--json", File("crafted.dcf")});
  ASSERT_EQ(inspected.status, 0) << inspected.err;
  const auto json = nlohmann::json::parse(inspected.out);
  EXPECT_EQ(json["label"], kTitle);
  EXPECT_EQ(json["note"], kNote);
  EXPECT_EQ(json["levels"][0]["records"][0]["name"], kRecord);
  EXPECT_EQ(json["levels"][0]["records"][0]["label"], kRecordLabel);
  EXPECT_EQ(json["levels"][0]["records"][0]["items"][0]["label"], "Age\xEF\xBF\xBD");  // U+FFFD

  const ProcessResult compared = Cli(dir_, {"compare", "--json", File("crafted.dcf"), File("plain.ddw")});
  ASSERT_EQ(compared.status, 1) << compared.err;
  const auto differences = nlohmann::json::parse(compared.out);
  ASSERT_GE(differences.size(), 3u);
  EXPECT_EQ(differences[1], nlohmann::json({{"path", "DICTIONARY"}, {"what", "label"}, {"a", kTitle}, {"b", "Title"}}));
  EXPECT_EQ(differences[2]["a"], kNote);
}

}  // namespace
