// The SPSS and Stata writers, checked with the programs users open the files with: GNU PSPP
// for .sav, R's haven for .sav and .dta. Each prints what it read in a plain text form.
#include <gtest/gtest.h>

#include <filesystem>

#include "Files.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "libs/data/DataTables.h"

namespace {

// An integer item with value labels and MISSING 9 / NOTAPPL 8, one with 2 implied decimals,
// an alpha item holding non-ASCII text, an item whose name .sav reserves.
DataTable PersonTable() {
  DataTable table;
  table.name = "PERSON";
  table.label = "Person";
  DataColumn sex;
  sex.name = "P_SEX";
  for (int i = 0; i < 150; ++i) sex.label += "\xC3\xA9";  // "é": 300 bytes, cut to 256
  sex.width = 1;
  sex.labels = {{1, "Male"}, {2, std::string(119, 'x') + "\xC3\xA9"}, {8, "Not applicable"}, {9, "Not stated"}};
  sex.specials = {{SpecialKind::Missing, 9, 9, "Not stated"}, {SpecialKind::NotAppl, 8, 8, "Not applicable"}};
  DataColumn income;
  income.name = "P_INCOME";
  income.label = "Income";
  income.width = 7;
  income.decimals = 2;
  income.labels = {{0, "None"}};
  income.rangeLabels = {"1-99 Low"};
  DataColumn name;
  name.name = "P_NAME";
  name.label = "Name";
  name.numeric = false;
  name.width = 12;
  name.textLabels = {{"Ana", "The first"}};
  DataColumn to;
  to.name = "TO";
  to.width = 2;
  to.specials = {{SpecialKind::Missing, 97, 97, "Lost"},
                 {SpecialKind::Missing, 98, 98, "Refused"},
                 {SpecialKind::Default, 90, 96, "Bad"},
                 {SpecialKind::NotAppl, 99, 99, ""}};
  table.columns = {sex, income, name, to};
  return table;
}

std::string Repeat(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

struct Row {
  long line;
  std::vector<DataCell> cells;
};

DataCell Number(double value) {
  DataCell cell;
  cell.SetNumber(value);
  return cell;
}
DataCell Special(SpecialKind kind, bool withCode = false, double code = 0) {
  DataCell cell;
  cell.SetSpecial(kind, withCode, code);
  return cell;
}
DataCell Text(const std::string& text) {
  DataCell cell;
  cell.kind = DataCell::Kind::Text;
  cell.text = text;
  return cell;
}
DataCell Blank() { return DataCell(); }

// Row 4 holds cells of the wrong kind for their columns: they are written missing / empty.
// Row 7's text is 13 bytes, one more than the field: it is cut before its last "Ñ".
std::vector<Row> PersonRows() {
  return {
      {1, {Number(1), Number(1234.56), Text("Zo\xC3\xAB \xC3\x91" "and\xC3\xBA"), Number(5)}},
      {3, {Special(SpecialKind::Missing, true, 9), Blank(), Text("Ana"), Special(SpecialKind::Missing, true, 98)}},
      {4, {Special(SpecialKind::NotAppl, true, 8), Special(SpecialKind::Default), Number(3), Text("x")}},
      {7, {Blank(), Number(-0.5), Text("a" + Repeat("\xC3\x91", 6)), Special(SpecialKind::Default, true, 93)}},
  };
}

// Writes rows with writer into path; the notes it gave, or the error with "ERROR: ".
std::vector<std::string> WriteTable(TableWriter& writer, const std::string& path, const DataTable& table,
                                    const std::vector<Row>& rows) {
  std::string error;
  bool ok = writer.Begin(path, table, static_cast<long>(rows.size()), "Survey \xC3\xA9", error);
  for (const Row& row : rows) ok = ok && writer.Row(row.line, row.cells);
  ok = ok && writer.Commit(error);
  if (!ok) return {"ERROR: " + error};
  return writer.Notes();
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

const std::string kCutLabel = Repeat("\xC3\xA9", 128);  // the 300-byte label at 256 bytes
const std::string kCutValueLabel(119, 'x');             // 119 'x' and an "é" at 120 bytes

// What haven reads: the file label, then per variable its name, label, format, value labels
// (tags as NA(a)) and declared missing values, and the values (tagged missing as NA(a)).
const char* kDescribeInR = R"R(
show <- function(x) ifelse(is.na(x), ifelse(is.na(haven::na_tag(x)), "NA", paste0("NA(", haven::na_tag(x), ")")), as.character(x))
describe <- function(d) {
  cat("file", attr(d, "label", exact = TRUE), "rows", nrow(d), "\n")
  for (n in names(d)) {
    x <- d[[n]]
    cat("var", n, "\n")
    if (!is.null(attr(x, "label", exact = TRUE))) cat(" label", attr(x, "label", exact = TRUE), "\n")
    cat(" format", attr(x, "format.spss"), attr(x, "format.stata"), "\n")
    l <- attr(x, "labels")
    if (!is.null(l)) cat(" labels", paste0(show(unclass(l)), "=", names(l), collapse = "; "), "\n")
    if (!is.null(attr(x, "na_values"))) cat(" na_values", attr(x, "na_values"), "\n")
    if (!is.null(attr(x, "na_range"))) cat(" na_range", attr(x, "na_range"), "\n")
    if (nrow(d) > 0) cat(" values", paste(show(unclass(x)), collapse = " | "), "\n")
  }
}
)R";

// What R's haven reads from the file at path.
std::string ReadInR(const TempDir& dir, const std::string& path) {
  const bool sav = path.ends_with(".sav");
  const std::string script = dir.file("read.R");
  WriteFile(script, std::string(kDescribeInR) + "describe(haven::" + (sav ? "read_sav" : "read_dta") + "('" + path +
                        "'" + (sav ? ", user_na = TRUE" : "") + "))\n");
  ProcessResult result = RunProcess("/usr/bin/Rscript", {"--vanilla", script}, dir.path().string());
  EXPECT_EQ(result.status, 0) << result.err;
  return result.out;
}

// What PSPP lists of the file at path: its dictionary, value labels and data, as CSV.
std::string ReadInPspp(const TempDir& dir, const std::string& path) {
  const std::string syntax = dir.file("read.sps"), output = dir.file("read.csv");
  WriteFile(syntax, "GET FILE='" + path + "'.\nDISPLAY DICTIONARY.\nLIST.\n");
  ProcessResult result = RunProcess("/usr/bin/pspp", {"-o", output, syntax}, dir.path().string());
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  return ReadTextFile(output);
}

bool HaveR() { return std::filesystem::exists("/usr/bin/Rscript"); }
bool HavePspp() { return std::filesystem::exists("/usr/bin/pspp"); }

class StatWritersTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(StatWritersTest, SavCarriesFormatsLabelsAndUserMissingCodes) {
  const std::string path = dir_.file("PERSON.sav");
  auto writer = MakeSavWriter();
  EXPECT_EQ(Lines(WriteTable(*writer, path, PersonTable(), PersonRows())),
            "P_SEX: 1 value label is cut to 120 bytes\n"
            "P_SEX: the label is cut to 256 bytes\n"
            "P_INCOME: 1 label of ranges of values is not carried: .sav labels single values only\n"
            "P_NAME: 1 value label is not written: .sav cannot label strings wider than 8 bytes\n"
            "TO: name TO is written as TO_\n"
            "TO: 2 special codes are not declared missing: .sav takes three missing values, or one range and one value\n"
            "P_NAME: texts longer than 12 bytes are cut\n");
  if (HaveR()) {
    EXPECT_EQ(ReadInR(dir_, path),
              "file Survey \xC3\xA9 rows 4 \n"
              "var line \n format F10.0 \n values 1 | 3 | 4 | 7 \n"
              "var P_SEX \n label " + kCutLabel + " \n format F1.0 \n"
              " labels 1=Male; 2=" + kCutValueLabel + "; 8=Not applicable; 9=Not stated \n"
              " na_values 9 8 \n values 1 | 9 | 8 | NA \n"
              "var P_INCOME \n label Income \n format F8.2 \n labels 0=None \n values 1234.56 | NA | NA | -0.5 \n"
              "var P_NAME \n label Name \n format A12 \n values Zo\xC3\xAB \xC3\x91" "and\xC3\xBA | Ana |  | a" +
                  Repeat("\xC3\x91", 5) + " \n"
              "var TO_ \n format F2.0 \n na_values 97 \n na_range 90 96 \n values 5 | 98 | NA | 93 \n");
  }
  if (HavePspp()) {
    EXPECT_EQ(ReadInPspp(dir_, path),
              "Table: Variables\n"
              "Name,Position,Label,Measurement Level,Role,Width,Alignment,Print Format,Write Format,Missing Values\n"
              "line,1,,Nominal,Input,8,Right,F10.0,F10.0,\n"
              "P_SEX,2," + kCutLabel + ",Nominal,Input,8,Right,F1.0,F1.0,9; 8\n"
              "P_INCOME,3,Income,Nominal,Input,8,Right,F8.2,F8.2,\n"
              "P_NAME,4,Name,Nominal,Input,8,Left,A12,A12,\n"
              "TO_,5,,Nominal,Input,8,Right,F2.0,F2.0,90 THRU 96; 97\n"
              "\n"
              "Table: Value Labels\n"
              "Variable Value,,Label\n" + kCutLabel + ",1,Male\n"
              ",2," + kCutValueLabel + "\n"
              ",8[a],Not applicable\n"
              ",9[a],Not stated\n"
              "Income,.00,None\n"
              "Footnote: a. User-missing value\n"
              "\n"
              "Table: Data List\n"
              "line,P_SEX,P_INCOME,P_NAME,TO_\n"
              "1,1,1234.56,Zo\xC3\xAB \xC3\x91" "and\xC3\xBA,5\n"
              "3,9,.  ,Ana,98\n"
              "4,8,.  ,,.\n"
              "7,.,-.50,a" + Repeat("\xC3\x91", 5) + ",93\n");
  }
}

TEST_F(StatWritersTest, DtaCarriesIntegerLabelsAndTaggedMissingValues) {
  const std::string path = dir_.file("PERSON.dta");
  auto writer = MakeDtaWriter();
  EXPECT_EQ(Lines(WriteTable(*writer, path, PersonTable(), PersonRows())),
            "P_SEX: 1 value label is cut to 120 bytes\n"
            "P_SEX: the label is cut to 256 bytes\n"
            "P_INCOME: 1 value label is not written: .dta labels integer items only\n"
            "P_INCOME: 1 label of ranges of values is not carried: .dta labels single values only\n"
            "P_NAME: 1 value label is not written: .dta labels integer items only\n"
            "P_NAME: texts longer than 12 bytes are cut\n");
  if (!HaveR()) GTEST_SKIP() << "R is not installed";
  EXPECT_EQ(ReadInR(dir_, path),
            "file Survey \xC3\xA9 rows 4 \n"
            "var line \n format %12.0f \n values 1 | 3 | 4 | 7 \n"
            "var P_SEX \n label " + kCutLabel + " \n format %12.0g \n"
            " labels 1=Male; 2=" + kCutValueLabel + "; NA(a)=Not stated; NA(b)=Not applicable \n"
            " values 1 | NA(a) | NA(b) | NA(b) \n"
            "var P_INCOME \n label Income \n format %8.2f \n values 1234.56 | NA(b) | NA(c) | -0.5 \n"
            "var P_NAME \n label Name \n format %12s \n values Zo\xC3\xAB \xC3\x91" "and\xC3\xBA | Ana |  | a" +
                Repeat("\xC3\x91", 5) + " \n"
            "var TO \n format %12.0g \n labels NA(a)=Lost / Refused; NA(c)=Bad \n values 5 | NA(a) | NA | NA(c) \n");
}

struct FormatCase {
  const char* extension;
  std::unique_ptr<TableWriter> (*make)();
};
const FormatCase kFormats[] = {{"sav", MakeSavWriter}, {"dta", MakeDtaWriter}};

// Names the formats refuse become valid and stay unique; a table without rows is a file
// with its variables and no data.
TEST_F(StatWritersTest, NamesAreMadeValidAndUniqueAndATableMayHaveNoRows) {
  DataTable table;
  table.name = "NAMES";
  for (const char* name : {"1ST", "A-B", "A_B", "line", "with", "_all", "str12", "\xC3\x91U"}) {
    DataColumn column;
    column.name = name;
    table.columns.push_back(column);
  }
  table.columns.push_back(table.columns[0]);
  table.columns.back().name = std::string(70, 'L');
  table.columns.push_back(table.columns.back());
  const std::string sav64(64, 'L'), dta32(32, 'L');
  struct Expected {
    const char* extension;
    std::string notes, names;
  } cases[] = {
      {"sav",
       "1ST: name 1ST is written as V1ST\nA-B: name A-B is written as A_B\nA_B: name A_B is written as A_B_2\n"
       "line: name line is written as line_2\nwith: name with is written as with_\n"
       "_all: name _all is written as V_all\n\xC3\x91U: name \xC3\x91U is written as V__U\n"
       "L...: name L... is written as " + sav64 + "\nL...: name L... is written as " + sav64.substr(0, 62) + "_2\n",
       "line V1ST A_B A_B_2 line_2 with_ V_all str12 V__U " + sav64 + " " + sav64.substr(0, 62) + "_2"},
      {"dta",
       "1ST: name 1ST is written as V1ST\nA-B: name A-B is written as A_B\nA_B: name A_B is written as A_B_2\n"
       "line: name line is written as line_2\nwith: name with is written as with_\n"
       "_all: name _all is written as _all_\nstr12: name str12 is written as Vstr12_\n\xC3\x91U: name \xC3\x91U is written as __U\n"
       "L...: name L... is written as " + dta32 + "\nL...: name L... is written as " + dta32.substr(0, 30) + "_2\n",
       "line V1ST A_B A_B_2 line_2 with_ _all_ Vstr12_ __U " + dta32 + " " + dta32.substr(0, 30) + "_2"},
  };
  for (const Expected& expected : cases) {
    SCOPED_TRACE(expected.extension);
    const FormatCase& format = expected.extension == std::string("sav") ? kFormats[0] : kFormats[1];
    const std::string path = dir_.file(std::string("NAMES.") + expected.extension);
    auto writer = format.make();
    std::string notes = Lines(WriteTable(*writer, path, table, {}));
    // The 70-letter name shows as "L..." here.
    for (size_t at; (at = notes.find(std::string(70, 'L') + ":")) != std::string::npos;)
      notes.replace(notes.find(std::string(70, 'L'), at + 71), 70, "L...").replace(at, 70, "L...");
    EXPECT_EQ(notes, expected.notes);
    if (!HaveR()) continue;
    const std::string script = dir_.file("names.R");
    WriteFile(script, std::string("d <- haven::read_") + expected.extension + "('" + path + "'); cat(nrow(d), names(d))");
    ProcessResult result = RunProcess("/usr/bin/Rscript", {"--vanilla", script}, dir_.path().string());
    EXPECT_EQ(result.out, "0 " + expected.names) << result.err;
  }
}

// A write that fails, or is dropped, keeps the file that was there and leaves nothing else.
TEST_F(StatWritersTest, AFailureKeepsThePreviousFile) {
  const DataTable table = PersonTable();
  const std::vector<Row> rows = PersonRows();
  for (const FormatCase& format : kFormats) {
    SCOPED_TRACE(format.extension);
    const std::string path = dir_.file(std::string("PERSON.") + format.extension);
    WriteFile(path, "previous");
    std::string error;

    auto fewer = format.make();  // fewer rows than counted
    ASSERT_TRUE(fewer->Begin(path, table, 3, "", error)) << error;
    EXPECT_TRUE(fewer->Row(rows[0].line, rows[0].cells));
    EXPECT_FALSE(fewer->Commit(error));
    EXPECT_EQ(error, "Cannot write " + path + ": fewer rows came (1) than were counted (3).");

    auto more = format.make();  // more rows than counted
    ASSERT_TRUE(more->Begin(path, table, 1, "", error)) << error;
    EXPECT_TRUE(more->Row(rows[0].line, rows[0].cells));
    EXPECT_FALSE(more->Row(rows[1].line, rows[1].cells));
    EXPECT_FALSE(more->Commit(error));
    EXPECT_EQ(error, "Cannot write " + path + ": more rows came than were counted (1).");

    auto dropped = format.make();
    ASSERT_TRUE(dropped->Begin(path, table, 1, "", error)) << error;
    EXPECT_TRUE(dropped->Row(rows[0].line, rows[0].cells));
    dropped->Abandon();

    auto uncounted = format.make();
    EXPECT_FALSE(uncounted->Begin(path, table, -1, "", error));
    EXPECT_EQ(ReadTextFile(path), "previous");

    const std::string folder = dir_.file(std::string("FOLDER.") + format.extension);
    std::filesystem::create_directory(folder);
    auto toFolder = format.make();
    EXPECT_FALSE(toFolder->Begin(folder, table, 1, "", error));
    EXPECT_EQ(error, "Cannot write " + folder + ": it is a folder.");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
  }
  DataTable wide;
  wide.columns.resize(32767);
  std::string error;
  EXPECT_FALSE(MakeDtaWriter()->Begin(dir_.file("WIDE.dta"), wide, 1, "", error));
  EXPECT_EQ(error, "Cannot write " + dir_.file("WIDE.dta") + ": .dta takes at most 32767 variables; the table has 32768.");
  // Nothing but the files the test made.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(Lines(names), "FOLDER.dta\nFOLDER.sav\nPERSON.dta\nPERSON.sav\n");
}

}  // namespace
