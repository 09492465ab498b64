// The data command end to end: the value rules, the tables and their columns, the lines it
// refuses, its questions and its failures. What PSPP and R read of its SPSS and Stata files
// is tested in tests/data.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"
#include "Files.h"
#include "SampleDictionaries.h"
#include "libs/dict/DataDict.h"
#include "VeskSamples.h"

namespace {

struct DataFixture {
  TempDir dir;
  std::string dict = dir.file("hhs.dcf");
  std::string data = dir.file("hhs.dat");
  std::string out = dir.file("out");
  DataFixture() { EXPECT_TRUE(samples::TwoLevelSurvey().Save(dict)); }
  ProcessResult Data(std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"data"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {dict, data, "-d", out});
    return Cli(dir, args);
  }
};

TEST(CliData, ReadsEveryValueRuleIntoCsv) {
  DataFixture f;
  WriteFile(f.data,
            //         HH ROOMS RENT  AREA  NAME    ASSET DATE
            std::string("1001 3001250 12.5M\x81ller  12120011231\n") +  // CP850 u-umlaut
                "100299     0  1.0Ann     3  19990101trailing text not read\r\n"
                "1003     12x\n"  // short: blank beyond its end; 12x is not a number
                "100398-00050 -3.5Bo\"b,   \n"
                "1004  \n"
                "20040142\n"
                "2004  \n"
                "9xyz\n");
  ProcessResult r = f.Data();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Line 8 of " + f.data + ": record type \"9\" belongs to no record; the line is left out.\n");
  EXPECT_EQ(r.out.substr(0, r.out.find("; 0.")),
            "wrote 2 tables into " + f.out + ": HOUSE 5, PERSON 2 records; 27 values marked missing; 1 line refused");
  EXPECT_EQ(ReadTextFile(f.dir.file("out/HOUSE.csv")),
            "line,HH,ROOMS,RENT,AREA,NAME,ASSET_1,ASSET_2,ASSET_3,DATE,YEAR\r\n"
            "1,1,3,12.50,12.5,M\xC3\xBCller,1,2,1,20011231,2001\r\n"
            "2,2,MISSING,0.00,1.0,Ann,3,,,19990101,1999\r\n"
            "3,3,NOTAPPL,DEFAULT,,,,,,,\r\n"
            "4,3,NOTAPPL,-0.50,-3.5,\"Bo\"\"b,\",,,,,\r\n"
            "5,4,NOTAPPL,,,,,,,,\r\n");
  // A person carries the ids of its level and of the level above.
  EXPECT_EQ(ReadTextFile(f.dir.file("out/PERSON.csv")), "line,HH,PNUM,AGE\r\n6,4,1,42\r\n7,4,,\r\n");
}

TEST(CliData, AVeskDictionaryGivesTheFilesOfVeskData) {
  TempDir dir;
  const std::string dic = dir.file("s.dic");
  ASSERT_TRUE(vesktest::DataSample().WriteTo(dic));
  const std::string data = dir.file("d.txt");
  WriteFile(data, "0011M\x81ller  9912x50\r\n0012 98\r\n0012 712\n0011Zo\n");
  ProcessResult viaVesk = Cli(dir, {"vesk-data", dic, data, "-d", dir.file("vesk")});
  ProcessResult viaData = Cli(dir, {"data", "--quiet", dic, data, "-d", dir.file("data")});
  ASSERT_EQ(viaVesk.status, 0) << viaVesk.err;
  ASSERT_EQ(viaData.status, 0) << viaData.err;
  EXPECT_EQ(viaData.out, "");
  for (const char* table : {"HH.csv", "PERSON.csv"}) {
    SCOPED_TRACE(table);
    EXPECT_EQ(ReadTextFile(dir.file(std::string("data/") + table)), ReadTextFile(dir.file(std::string("vesk/") + table)));
  }
  EXPECT_EQ(ReadTextFile(dir.file("data/HH.csv")),
            "line,ID,NAME,ROOMS,INC\r\n1,1,M\xC3\xBCller,MISSING,DEFAULT\r\n4,1,Zo,,\r\n");
}

TEST(CliData, AnExistingTableIsReplacedOnlyWhenTheAnswerIsYes) {
  DataFixture f;
  WriteFile(f.data, "1001 3\n");
  std::filesystem::create_directories(f.out);
  WriteFile(f.dir.file("out/HOUSE.csv"), "old");
  ProcessResult r = f.Data();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("(answered no: standard input is not a terminal)"), std::string::npos) << r.err;
  EXPECT_EQ(ReadTextFile(f.dir.file("out/HOUSE.csv")), "old");
  r = f.Data({"--yes", "--quiet"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadTextFile(f.dir.file("out/HOUSE.csv")).substr(0, 8), "line,HH,");
}

TEST(CliData, ManyStrayLinesAreCountedAfterTheFirstHundred) {
  DataFixture f;
  std::string lines = "1001 3\n";
  for (int i = 0; i < 150; ++i) lines += "7\n";
  WriteFile(f.data, lines);
  ProcessResult r = f.Data({"--quiet"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Line 101 of " + f.data + ": record type \"7\""), std::string::npos);
  EXPECT_EQ(r.err.find("Line 102 of"), std::string::npos);
  EXPECT_NE(r.err.find("50 more lines of " + f.data + " whose record type belongs to no record were left out.\n"),
            std::string::npos);
  EXPECT_EQ(ReadTextFile(f.dir.file("out/HOUSE.csv")).substr(0, 8), "line,HH,");
}

TEST(CliData, FailuresAndUsageErrors) {
  DataFixture f;
  WriteFile(f.data, "1001 3\n");
  WriteFile(f.dir.file("forms.fmf"), "Travo 4.0\n[FormFile]\n");
  WriteFile(f.dir.file("text.dcf"), "just some text\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // the first line of stderr
  } cases[] = {
      {{"data", f.dict, f.data}, 2, "travo-convert-cli: data needs a DICT, a DATA file and -d DIR"},
      {{"data", "--to", "xls", f.dict, f.data, "-d", f.out}, 2,
       "travo-convert-cli: unknown output format 'xls' (csv, sav or dta)"},
      {{"data", "--oem-codepage", "NOPE-1", f.dict, f.data, "-d", f.out}, 2,
       "travo-convert-cli: unknown code page 'NOPE-1'"},
      {{"data", f.dir.file("none.dcf"), f.data, "-d", f.out}, 1,
       "travo-convert-cli: " + f.dir.file("none.dcf") + ": cannot be read (no such file, or not a regular file)"},
      {{"data", f.dir.file("forms.fmf"), f.data, "-d", f.out}, 1,
       "travo-convert-cli: " + f.dir.file("forms.fmf") + ": a Travo forms file, not a dictionary"},
      {{"data", f.dir.file("text.dcf"), f.data, "-d", f.out}, 1,
       "travo-convert-cli: " + f.dir.file("text.dcf") +
           ": not a dictionary this tool knows (ORVA 3.1, ORVA 4.1, VESK or Travo)"},
      {{"data", f.dict, f.dir.file("none.dat"), "-d", f.out}, 1,
       "Cannot read " + f.dir.file("none.dat") + ": No such file or directory."},
      {{"data", f.dict, f.data, "-d", f.dict}, 1, "Cannot write into " + f.dict + ": it is not a folder."},
  };
  for (const Case& c : cases) {
    ProcessResult r = Cli(f.dir, c.args);
    SCOPED_TRACE(Joined(c.args));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err);
  }
  EXPECT_FALSE(std::filesystem::exists(f.out));
}

}  // namespace
