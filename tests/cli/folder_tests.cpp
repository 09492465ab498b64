// End-to-end tests of travo-convert-cli's folder form (`convert -o OUTDIR INPUT...`), of
// the summary line printed after a conversion and of the --log file.
#include <gtest/gtest.h>

#include <cctype>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "CliRun.h"
#include "Files.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "SampleDictionaries.h"
#include "VeskBuilder.h"
#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"

namespace {

namespace fs = std::filesystem;

// A VESK dictionary with one section, one variable and, when asked, a form; a work
// dictionary (.wst, no header) by its extension.
bool WriteVesk(const std::string& path, bool withForm = false) {
  fs::create_directories(fs::path(path).parent_path());
  vesktest::VeskBuilder b;
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext != ".wst") b.Header({});
  b.Section({.name = "HH"});
  b.Variable({.name = "ROOMS", .start = 5, .len = 2, .labels = {"Rooms", "99", "Unknown"}});
  if (withForm) b.Form({.name = "HF", .fields = 1, .text = "Rooms [  ]\n"});
  return b.WriteTo(path);
}

// A VESK dictionary cut short inside its variable record.
bool WriteBrokenVesk(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  vesktest::VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Truncate(b.Variable({.start = 5}) + 40);
  return b.WriteTo(path);
}

// A Travo dictionary of one level: id item HH_ID, record PERSON with AGE (one value set)
// and SEX.
bool WriteTravo(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  CDataDict dict = samples::Survey(
      {samples::Item("AGE", "", 6, 2, samples::ValueSet("AGE_VS1", "", {samples::Value("Years", "0", "95")})),
       samples::Item("SEX", "", 8, 1)},
      8, samples::Labels::None);
  return dict.Save(path);
}

TEST(CliFolder, ConvertsGoodFilesListsFailuresAndSkipsForeignOnes) {
  TempDir dir;
  const std::string in = dir.file("in");
  WriteFile(in + "/survey.ddw", samples::kOrva41Survey);
  ASSERT_TRUE(WriteVesk(in + "/sub/hh.dic"));
  ASSERT_TRUE(WriteBrokenVesk(in + "/sub/broken.dic"));
  ASSERT_TRUE(WriteTravo(in + "/sub/deep/back.dcf"));
  WriteFile(in + "/notes.txt", "not a dictionary");
  WriteFile(in + "/sub/README", "nor this");
  const std::string single = dir.file("elsewhere/single.ddw");  // a file given directly
  WriteFile(single, samples::kOrva41Survey);
  const std::string out = dir.file("out");

  const std::string absent = dir.file("absent.ddw");
  ProcessResult r = Cli(dir, {"convert", "--quiet", "-o", out, in, single, absent});
  EXPECT_EQ(r.status, 1) << r.err;
  const std::string corrupt = "Error loading dictionary '" + in + "/sub/broken.dic'. Possibly corrupt.";
  EXPECT_EQ(r.out, "\n"
                   "skipped     " + in + "/notes.txt  no known kind\n"
                   "skipped     " + in + "/sub/README  no known kind\n"  // sorted byte by byte
                   "failed      " + in + "/sub/broken.dic  " + corrupt + "\n"
                   "converted   " + in + "/sub/deep/back.dcf  -> " + out + "/sub/deep/back.dd\n"
                   "converted   " + in + "/sub/hh.dic  -> " + out + "/sub/hh.dcf\n"
                   "converted   " + in + "/survey.ddw  -> " + out + "/survey.dcf\n"
                   "converted   " + single + "  -> " + out + "/single.dcf\n"
                   "failed      " + absent + "  There is no file or folder " + absent + ".\n"
                   "4 converted, 2 failed, 2 skipped\n");
  // stderr holds every conversion's own messages, nothing else.
  EXPECT_NE(r.err.find(corrupt + "\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ORVA 4.1 Dictionary successfully converted.\n"), std::string::npos) << r.err;

  for (const char* name : {"survey.dcf", "sub/hh.dcf", "single.dcf"}) {
    CDataDict dict;
    EXPECT_TRUE(dict.Open(out + "/" + name)) << name << ": " << dict.GetLastError();
  }
  EXPECT_TRUE(fs::is_regular_file(out + "/sub/deep/back.dd"));
  EXPECT_FALSE(fs::exists(out + "/sub/broken.dcf"));
  EXPECT_FALSE(fs::exists(out + "/notes.dcf"));
  EXPECT_FALSE(fs::exists(out + "/sub/README.dcf"));

  // All of them again: the outputs exist and, with no terminal to ask, are kept; with
  // --yes they are replaced. Outputs inside an input folder are never taken as inputs.
  WriteFile(out + "/survey.dcf", "previous");
  r = Cli(dir, {"convert", "--quiet", "-o", out, in + "/survey.ddw"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadTextFile(out + "/survey.dcf"), "previous");
  EXPECT_NE(r.out.find("failed      " + in + "/survey.ddw  "), std::string::npos) << r.out;
  r = Cli(dir, {"convert", "--quiet", "--yes", "-o", out, in + "/survey.ddw"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\nconverted   " + in + "/survey.ddw  -> " + out + "/survey.dcf\n1 converted, 0 failed, 0 skipped\n");
  CDataDict replaced;
  EXPECT_TRUE(replaced.Open(out + "/survey.dcf")) << replaced.GetLastError();

  r = Cli(dir, {"convert", "--quiet", "-o", in + "/converted", in + "/sub/deep"});
  EXPECT_EQ(r.status, 0) << r.err;
  r = Cli(dir, {"convert", "--quiet", "--yes", "-o", in + "/sub/deep/converted", in + "/sub/deep"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\nconverted   " + in + "/sub/deep/back.dcf  -> " + in + "/sub/deep/converted/back.dd\n"
                   "1 converted, 0 failed, 0 skipped\n");
}

// A file written as other names it: by the writer of its usual extension, then renamed.
std::function<bool(const std::string&)> WrittenAs(const std::string& ext,
                                                  const std::function<bool(const std::string&)>& write) {
  return [=](const std::string& path) { return write(path + ext) && (fs::rename(path + ext, path), true); };
}

// Without --kind each file is converted as what its content shows, whatever its extension,
// and its output takes the extension of that kind. A file that only its extension names is
// left to that reader, as in the single-file form; one that neither names is skipped.
TEST(CliFolder, EachFileIsConvertedAsWhatItHolds) {
  TempDir dir;
  PrivateTempFolder temporary;
  const std::string in = dir.file("in"), out = dir.file("out");
  const std::string orva31 = ReadTextFile(std::string(TRAVO_SOURCE_DIR) + "/examples/household-orva31.dd");
  const auto text = [](const std::string& bytes) {
    return [=](const std::string& path) { return WriteFile(path, bytes), true; };
  };
  const auto vesk = [](const std::string& path) { return WriteVesk(path); };
  struct Case {
    std::string name;  // under in/
    std::function<bool(const std::string&)> write;
    std::string status;
    std::string detail;  // after "-> " for converted, under out/; empty: not a dictionary
  };
  const Case cases[] = {
      {"survey.ddw", text(samples::kOrva41Survey), "converted", "survey.dcf"},
      {"survey41", text(samples::kOrva41Survey), "converted", "survey41.dcf"},
      {"ddw-as.dic", text(samples::kOrva41Survey), "converted", "ddw-as.dcf"},
      {"hh", vesk, "converted", "hh.dcf"},
      {"vesk-as.dcf", vesk, "converted", "vesk-as.dcf"},
      {"work.txt", WrittenAs(".wst", vesk), "converted", "work.dcf"},
      {"work-as.dd", WrittenAs(".wst", vesk), "converted", "work-as.dcf"},
      {"travo", WriteTravo, "converted", "travo.dd"},
      {"travo-as.ddw", WrittenAs(".dcf", WriteTravo), "converted", "travo-as.dd"},
      {"old", text(orva31), "converted", "old.dcf"},
      {"old-as.wst", text(orva31), "converted", "old-as.dcf"},
      {"broken.ddw", WrittenAs(".dic", WriteBrokenVesk), "failed",
       "Error loading dictionary '" + in + "/broken.ddw'. Possibly corrupt."},
      {"junk.dcf", text("not a dictionary"), "failed", ""},
      {"junk.ddw", text("not a dictionary either"), "failed", ""},
      {"junk.dd", text("nor this"), "failed", ""},
      {"junk.fmf", text("not forms"), "skipped", "no known kind"},  // no conversion reads forms
      {"notes.txt", text("notes"), "skipped", "no known kind"},
      {"README", text("read me"), "skipped", "no known kind"},
  };
  std::vector<std::string> rows, written;
  int converted = 0, failed = 0;
  for (const Case& c : cases) {
    const std::string path = in + "/" + c.name;
    ASSERT_TRUE(c.write(path)) << c.name;
    std::string detail = c.detail;
    if (c.status == "converted") {
      detail = "-> " + out + "/" + c.detail;
      written.push_back(c.detail);
      ++converted;
    } else if (c.status == "failed") {
      ++failed;
    }
    if (detail.empty()) {
      // Refused unread, with the message it gets when given alone.
      detail = path + ": not a dictionary this tool knows (ORVA 3.1, ORVA 4.1, VESK or Travo)";
      const std::string alone = dir.file(fs::path(c.name).extension() == ".dcf" ? "alone.dd" : "alone.dcf");
      ProcessResult single = Cli(dir, {"convert", "--quiet", path, alone});
      EXPECT_EQ(single.status, 1) << c.name;
      EXPECT_EQ(single.err, detail + "\n");
      EXPECT_FALSE(fs::exists(alone)) << c.name;
    }
    std::string status = c.status;
    status.resize(12, ' ');
    rows.push_back(status + path + "  " + detail + "\n");
  }
  std::sort(rows.begin(), rows.end(), [&](const std::string& a, const std::string& b) {
    return a.substr(12) < b.substr(12);
  });
  std::string table = "\n";
  for (const std::string& row : rows) table += row;
  table += std::to_string(converted) + " converted, " + std::to_string(failed) + " failed, 3 skipped\n";

  const std::string log = dir.file("convert.log");
  ProcessResult r = Cli(dir, {"convert", "--quiet", "--log", log, "-o", out, in});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, table);
  // The links read in place of misnamed files are named nowhere and left nowhere.
  EXPECT_EQ(r.err.find("travo-input-"), std::string::npos) << r.err;
  const std::string logText = ReadTextFile(log);
  EXPECT_EQ(logText.find("travo-input-"), std::string::npos) << logText;
  // Every conversion has its block; files refused unread have none, as when given alone.
  for (const Case& c : cases) {
    const bool logged = logText.find("input: " + in + "/" + c.name + "\n") != std::string::npos;
    EXPECT_EQ(logged, c.status != "skipped" && !c.detail.empty()) << c.name;
  }
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(out)) found.push_back(entry.path().filename().string());
  std::sort(found.begin(), found.end());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(found, written);
  EXPECT_TRUE(temporary.empty());

  // ORVA 3.1 names its dictionary after the file: the name given, not the link's.
  CDataDict dict;
  ASSERT_TRUE(dict.Open(out + "/old-as.dcf")) << dict.GetLastError();
  EXPECT_EQ(dict.GetLabel(), "OLD-AS");
  // A misnamed VESK dictionary converts into what its well-named copy converts into.
  ProcessResult same = Cli(dir, {"compare", out + "/vesk-as.dcf", out + "/hh.dcf"});
  EXPECT_EQ(same.status, 0) << same.out << same.err;
}

TEST(CliFolder, TwoInputsOfOneOutputNameConvertOnlyTheFirst) {
  TempDir dir;
  WriteFile(dir.file("in/a.ddw"), samples::kOrva41Survey);
  ASSERT_TRUE(WriteVesk(dir.file("in/a.dic")));
  ProcessResult r = Cli(dir, {"convert", "--quiet", "--yes", "-o", dir.file("out"), dir.file("in")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("converted   " + dir.file("in/a.ddw")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("failed      " + dir.file("in/a.dic") + "  The output " + dir.file("out/a.dcf") +
                       " is already the output of another input."),
            std::string::npos)
      << r.out;
  CDataDict dict;
  ASSERT_TRUE(dict.Open(dir.file("out/a.dcf"))) << dict.GetLastError();
  EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetItem(0)->GetName(), "AGE");  // the .ddw's, not overwritten
}

// OUTDIR may be the input folder: files convert beside themselves, but one whose output
// would be the file itself (a VESK dictionary named .dcf) is refused and stays as it was.
TEST(CliFolder, IntoTheInputFolderAFileIsNeverItsOwnOutput) {
  TempDir dir;
  const std::string in = dir.file("in");
  WriteFile(in + "/survey.ddw", samples::kOrva41Survey);
  ASSERT_TRUE(WriteTravo(in + "/travo.dcf"));
  ASSERT_TRUE(WriteVesk(in + "/vesk.dcf"));
  // Nor the input of another: pair.ddw would write pair.dcf, an input of its own.
  WriteFile(in + "/pair.ddw", samples::kOrva41Survey);
  ASSERT_TRUE(WriteTravo(in + "/pair.dcf"));
  const std::string vesk = ReadTextFile(in + "/vesk.dcf"), pair = ReadTextFile(in + "/pair.dcf");
  ProcessResult r = Cli(dir, {"convert", "--quiet", "--yes", "-o", in, in});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "\n"
                   "converted   " + in + "/pair.dcf  -> " + in + "/pair.dd\n"
                   "failed      " + in + "/pair.ddw  The output " + in +
                   "/pair.dcf is another input of this conversion.\n"
                   "converted   " + in + "/survey.ddw  -> " + in + "/survey.dcf\n"
                   "converted   " + in + "/travo.dcf  -> " + in + "/travo.dd\n"
                   "failed      " + in + "/vesk.dcf  " + in +
                   "/vesk.dcf  This file is the input of the conversion. It cannot be replaced by the output.\n"
                   "3 converted, 2 failed, 0 skipped\n");
  EXPECT_EQ(ReadTextFile(in + "/vesk.dcf"), vesk);
  EXPECT_EQ(ReadTextFile(in + "/pair.dcf"), pair);
  CDataDict dict;
  EXPECT_TRUE(dict.Open(in + "/survey.dcf")) << dict.GetLastError();
  EXPECT_TRUE(fs::is_regular_file(in + "/travo.dd"));
}

TEST(CliFolder, KindForcesEveryFileAndItsOutputExtension) {
  struct Case {
    std::string kind;
    std::vector<std::string> written;  // under OUTDIR
    std::string table;                 // the counts line
  };
  const Case cases[] = {
      // Without --kind a VESK dictionary becomes a Travo dictionary; the .txt is skipped.
      {"", {"a.dcf", "b/c.dcf"}, "2 converted, 0 failed, 1 skipped"},
      {"vesk-forms", {"a.fmf", "a.dcf", "b/c.fmf", "b/c.dcf"}, "2 converted, 1 failed, 0 skipped"},
      {"3", {"a.dcf", "b/c.dcf"}, "2 converted, 1 failed, 0 skipped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    TempDir dir;
    ASSERT_TRUE(WriteVesk(dir.file("in/a.dic"), true));
    ASSERT_TRUE(WriteVesk(dir.file("in/b/c.WST"), true));
    WriteFile(dir.file("in/notes.txt"), "text");  // forced: tried, and fails
    std::vector<std::string> args = {"convert", "--quiet", "-o", dir.file("out")};
    if (!c.kind.empty()) args.insert(args.end(), {"--kind", c.kind});
    args.push_back(dir.file("in"));
    ProcessResult r = Cli(dir, args);
    EXPECT_EQ(r.status, c.kind.empty() ? 0 : 1) << r.err;
    EXPECT_NE(r.out.find(c.table + "\n"), std::string::npos) << r.out;
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.file("out"))) files += entry.is_regular_file();
    EXPECT_EQ(files, c.written.size());
    for (const std::string& name : c.written) EXPECT_TRUE(fs::is_regular_file(dir.file("out/" + name))) << name;
  }
  // --kind also names files of no known extension.
  TempDir dir;
  WriteFile(dir.file("in/survey.txt"), samples::kOrva41Survey);
  ProcessResult r = Cli(dir, {"convert", "--quiet", "--kind", "orva41", "-o", dir.file("out"), dir.file("in")});
  EXPECT_EQ(r.status, 0) << r.err;
  CDataDict dict;
  EXPECT_TRUE(dict.Open(dir.file("out/survey.dcf"))) << dict.GetLastError();
}

TEST(CliFolder, CtrlCStopsTheConversionUnderWayAndStartsNoOther) {
  TempDir dir;
  // Large enough to be under way when Ctrl-C comes; sorted first.
  fs::create_directories(dir.file("in"));
  std::ofstream ddw(dir.file("in/a-large.ddw"), std::ios::binary);
  ddw << "[Dictionary]\nVersion=ORVA 4.1\nName=LARGE\n";
  for (int r = 0; r < 200; ++r) {
    ddw << "[Record]\nName=R" << r << "\nRecordTypeValue=" << r % 10 << "\n";
    for (int i = 0; i < 1000; ++i) {
      ddw << "[Item]\nName=I" << r << "_" << i << "\nStart=" << 2 + i << "\nLen=1\n[ValueSet]\nValue=1:5;Valid\n";
    }
  }
  ddw.close();
  WriteFile(dir.file("in/b.ddw"), samples::kOrva41Survey);
  WriteFile(dir.file("in/c.ddw"), samples::kOrva41Survey);
  ProcessResult r = RunProcessInterruptedWhileReading(
      TRAVO_CLI_PATH, {"convert", "--quiet", "-o", dir.file("out"), dir.file("in")}, dir.path().string(),
      fs::canonical(dir.file("in/a-large.ddw")).string());
  EXPECT_EQ(r.status, 130) << r.err;
  EXPECT_NE(r.out.find("interrupted " + dir.file("in/a-large.ddw")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("0 converted, 1 failed, 0 skipped, interrupted (2 not started)\n"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir.file("out/a-large.dcf")));
  EXPECT_FALSE(fs::exists(dir.file("out/b.dcf")));
}

TEST(CliFolder, UsageErrors) {
  TempDir dir;
  WriteFile(dir.file("a-file"), "");
  WriteFile(dir.file("in.ddw"), samples::kOrva41Survey);
  struct Case {
    std::vector<std::string> args;
    std::string err;  // the first line of stderr
  } cases[] = {
      {{"convert", "-o", dir.file("out")}, "travo-convert-cli: convert -o OUTDIR needs at least one INPUT"},
      {{"convert", "-o"}, "travo-convert-cli: -o needs a value"},
      {{"convert", "-o", dir.file("a-file"), dir.file("in.ddw")},
       "travo-convert-cli: -o " + dir.file("a-file") + " is not a folder"},
      {{"convert", "-o", dir.file("x"), "-o", dir.file("y"), dir.file("in.ddw")}, "travo-convert-cli: -o is given twice"},
      {{"convert", "--log"}, "travo-convert-cli: --log needs a value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Joined(c.args));
    ProcessResult r = Cli(dir, c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err);
    EXPECT_NE(r.err.find("usage: travo-convert-cli"), std::string::npos);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_FALSE(fs::exists(dir.file("out")));
  EXPECT_FALSE(fs::exists(dir.file("x")));
  EXPECT_EQ(ReadTextFile(dir.file("a-file")), "");
}

TEST(CliSummary, OneLineOnStdoutAfterEachConversionUnlessQuiet) {
  TempDir dir;
  WriteFile(dir.file("survey.ddw"), samples::kOrva41Survey);
  ASSERT_TRUE(WriteTravo(dir.file("travo.dcf")));
  ASSERT_TRUE(WriteVesk(dir.file("forms.dic"), true));
  ASSERT_TRUE(WriteVesk(dir.file("plain.dic")));
  const std::string time = " in [0-9]+\\.[0-9]{2} s\n";
  struct Case {
    std::vector<std::string> args;
    std::string out;  // a pattern of the whole of stdout
    std::string err;
  } cases[] = {
      {{"convert", dir.file("survey.ddw"), dir.file("survey.dcf")},
       "wrote " + dir.file("survey.dcf") + ": 1 level, 1 record, 1 item, 1 value set" + time,
       "ORVA 4.1 Dictionary successfully converted.\n"},
      // To ORVA 3.1: the Travo dictionary read is counted (id items included).
      {{"convert", dir.file("travo.dcf"), dir.file("travo.dd")},
       "wrote " + dir.file("travo.dd") + ": 1 level, 1 record, 3 items, 1 value set" + time, ""},
      {{"convert", dir.file("forms.dic"), dir.file("forms.fmf")},
       "wrote " + dir.file("forms.fmf") + " and " + dir.file("forms.dcf") +
           ": 1 level, 1 record, 2 items, 1 value set, 1 form" + time,
       ""},
      // The files named are those written, whatever the output name's extension.
      {{"convert", "--kind", "3", dir.file("forms.dic"), dir.file("named.xyz")},
       "wrote " + dir.file("named.dcf") + ": 1 level, 1 record, 2 items, 1 value set" + time, ""},
      {{"convert", "--kind", "4", dir.file("forms.dic"), dir.file("both.dcf")},
       "wrote " + dir.file("both.fmf") + " and " + dir.file("both.dcf") +
           ": 1 level, 1 record, 2 items, 1 value set, 1 form" + time,
       ""},
      {{"convert", "--kind", "2", dir.file("travo.dcf"), dir.file("orva.xyz")},
       "wrote " + dir.file("orva.dd") + ": 1 level, 1 record, 3 items, 1 value set" + time, ""},
      // No forms to generate: only the dictionary is written.
      {{"convert", dir.file("plain.dic"), dir.file("plain.fmf")},
       "wrote " + dir.file("plain.dcf") + ": 1 level, 1 record, 2 items, 1 value set, no forms" + time,
       "There is no forms to generate. Form File '" + dir.file("plain.fmf") +
           "' (Dic 'SURVEY') will be not generated\n"},
      {{"convert", "--kind", "vesk-forms", "-o", dir.file("forms"), dir.file("forms.dic")},
       "wrote " + dir.file("forms/forms.fmf") + " and " + dir.file("forms/forms.dcf") +
           ": 1 level, 1 record, 2 items, 1 value set, 1 form" + time + "\nconverted   " + dir.file("forms.dic") +
           "  -> " + dir.file("forms/forms.fmf") + " and " + dir.file("forms/forms.dcf") +
           "\n1 converted, 0 failed, 0 skipped\n",
       ""},
      // The question answered by --yes is still shown, with its answer.
      {{"convert", "--quiet", "--yes", dir.file("survey.ddw"), dir.file("survey.dcf")}, "",
       dir.file("survey.dcf") + "\n\nThis file already exists.\nDo you want to replace it?\n(answered yes: --yes)\n\n"
           "ORVA 4.1 Dictionary successfully converted.\n"},
      // A failure prints no summary.
      {{"convert", dir.file("absent.ddw"), dir.file("absent.dcf")}, "", ""},
      {{"convert", "--yes", "-o", dir.file("out"), dir.file("survey.ddw")},
       "wrote " + dir.file("out/survey.dcf") + ": 1 level, 1 record, 1 item, 1 value set" + time +
           "\nconverted   " + dir.file("survey.ddw") + "  -> " + dir.file("out/survey.dcf") +
           "\n1 converted, 0 failed, 0 skipped\n",
       "ORVA 4.1 Dictionary successfully converted.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Joined(c.args));
    ProcessResult r = Cli(dir, c.args);
    EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out))) << r.out;
    if (c.args[1] != dir.file("absent.ddw")) {
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.err, c.err);
    } else {
      EXPECT_EQ(r.status, 1);
    }
  }
}

// The blocks of a log: each a list of its lines.
std::vector<std::vector<std::string>> LogBlocks(const std::string& text) {
  std::vector<std::vector<std::string>> blocks(1);
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) {
      blocks.emplace_back();
    } else {
      blocks.back().push_back(line);
    }
  }
  if (blocks.back().empty()) blocks.pop_back();
  return blocks;
}

TEST(CliLog, AppendsABlockPerConversionWithItsMessagesAndOutcome) {
  TempDir dir;
  const std::string log = dir.file("convert.log");
  WriteFile(log, "earlier: line\n\n");
  WriteFile(dir.file("in/survey.ddw"), samples::kOrva41Survey);
  ASSERT_TRUE(WriteBrokenVesk(dir.file("in/broken.dic")));
  WriteFile(dir.file("in/notes.txt"), "skipped, not logged");
  ProcessResult r = Cli(dir, {"convert", "--quiet", "--log", log, "-o", dir.file("out"), dir.file("in")});
  EXPECT_EQ(r.status, 1);
  ASSERT_TRUE(WriteVesk(dir.file("forms.dic")));  // no forms: a message, and success
  r = Cli(dir, {"convert", "--log", log, dir.file("forms.dic"), dir.file("forms.fmf")});
  EXPECT_EQ(r.status, 0) << r.err;

  const auto blocks = LogBlocks(ReadTextFile(log));
  ASSERT_EQ(blocks.size(), 4u) << ReadTextFile(log);
  EXPECT_EQ(blocks[0], std::vector<std::string>{"earlier: line"});
  const std::regex date("date: [0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
  for (size_t b = 1; b < blocks.size(); ++b) {
    ASSERT_GE(blocks[b].size(), 5u);
    EXPECT_TRUE(std::regex_match(blocks[b][0], date)) << blocks[b][0];
  }
  using Lines = std::vector<std::string>;
  EXPECT_EQ(Lines(blocks[1].begin() + 1, blocks[1].end()),
            (Lines{"kind: 3 vesk", "input: " + dir.file("in/broken.dic"), "output: " + dir.file("out/broken.dcf"),
                   "message:", "  Error loading dictionary '" + dir.file("in/broken.dic") + "'. Possibly corrupt.",
                   "outcome: failed"}));
  EXPECT_EQ(Lines(blocks[2].begin() + 1, blocks[2].end()),
            (Lines{"kind: 1 orva41", "input: " + dir.file("in/survey.ddw"), "output: " + dir.file("out/survey.dcf"),
                   "message:", "  ORVA 4.1 Dictionary successfully converted.",
                   "outcome: converted (1 level, 1 record, 1 item, 1 value set)"}));
  const Lines& forms = blocks[3];
  EXPECT_EQ(forms[1], "kind: 4 vesk-forms");
  EXPECT_EQ(forms[3], "output: " + dir.file("forms.dcf"));  // no forms: only the dictionary is written
  EXPECT_EQ(forms[4], "message:");
  EXPECT_EQ(forms[5].rfind("  There is no forms to generate.", 0), 0u) << forms[5];
  EXPECT_EQ(forms.back(), "outcome: converted (1 level, 1 record, 2 items, 1 value set, no forms)");
  for (size_t i = 5; i + 1 < forms.size(); ++i) EXPECT_EQ(forms[i].rfind("  ", 0), 0u) << forms[i];

  // A log that cannot be opened stops the conversion before it starts.
  r = Cli(dir, {"convert", "--log", dir.file("no/such/folder/log"), dir.file("in/survey.ddw"), dir.file("x.dcf")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot open the log " + dir.file("no/such/folder/log")), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.file("x.dcf")));
}

// The output lines of a block name the files written, the forms file first; a conversion
// that wrote nothing names those it was to write.
TEST(CliLog, OutputLinesNameTheFilesWritten) {
  TempDir dir;
  const std::string log = dir.file("convert.log");
  ASSERT_TRUE(WriteVesk(dir.file("forms.dic"), true));
  ASSERT_TRUE(WriteBrokenVesk(dir.file("broken.dic")));
  ASSERT_TRUE(WriteTravo(dir.file("travo.dcf")));
  struct Case {
    std::vector<std::string> args;  // after "convert --log LOG"
    std::vector<std::string> outputs;
  } cases[] = {
      {{"--kind", "3", dir.file("forms.dic"), dir.file("named.xyz")}, {dir.file("named.dcf")}},
      {{"--kind", "4", dir.file("forms.dic"), dir.file("both.dcf")}, {dir.file("both.fmf"), dir.file("both.dcf")}},
      {{"--kind", "2", dir.file("travo.dcf"), dir.file("orva.xyz")}, {dir.file("orva.dd")}},
      {{"--kind", "4", dir.file("broken.dic"), dir.file("broken.xyz")},
       {dir.file("broken.fmf"), dir.file("broken.dcf")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Joined(c.args));
    fs::remove(log);
    std::vector<std::string> args = {"convert", "--log", log};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Cli(dir, args);
    const auto blocks = LogBlocks(ReadTextFile(log));
    ASSERT_EQ(blocks.size(), 1u) << ReadTextFile(log);
    std::vector<std::string> outputs;
    for (const std::string& line : blocks[0]) {
      if (line.rfind("output: ", 0) == 0) outputs.push_back(line.substr(8));
    }
    EXPECT_EQ(outputs, c.outputs);
  }
}

}  // namespace
