// The data command's SPSS and Stata files, opened by the programs users open them with:
// for every dictionary format, the tables are written as CSV, .sav and .dta; GNU PSPP lists
// each .sav (its variables, formats, labels, missing values and every value), and R's haven
// reads each .sav and .dta (labels, value labels, user-missing codes, tagged missing values
// and every value), both compared with the CSV and with the dictionary's own view of the
// columns.
#include <gtest/gtest.h>

#include <filesystem>
#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"
#include "Files.h"
#include "SampleDictionaries.h"
#include "VeskBuilder.h"
#include "app/Formats.h"
#include "libs/data/DataTables.h"

namespace {

namespace fs = std::filesystem;

const std::string kExamples = std::string(TRAVO_SOURCE_DIR) + "/examples/";

// One line of CSV (RFC 4180, no line ends inside cells) as its cells.
std::vector<std::string> CsvCells(const std::string& line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      cells.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      cells.emplace_back();
    } else if (c != '\r') {
      cells.back() += c;
    }
  }
  return cells;
}

std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) rows.push_back(CsvCells(line));
  return rows;
}

std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// The rows of the table called title in PSPP's CSV output, its header row first.
std::vector<std::vector<std::string>> PsppTable(const std::string& output, const std::string& title) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(output);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line == "Table: " + title) {
      inside = true;
    } else if (inside && line.empty()) {
      break;
    } else if (inside) {
      rows.push_back(CsvCells(line));
    }
  }
  return rows;
}

// The print format SPSS shows for a column: its width and decimals, one more column for an
// implied decimal point.
std::string PrintFormat(const DataColumn& column) {
  if (!column.numeric) return "A";
  int width = column.width + (column.decimals > 0 && !column.decimalsWritten ? 1 : 0);
  if (column.decimals > 0) width = std::max(width, column.decimals + 2);
  return "F" + std::to_string(std::min(width, 40)) + "." + std::to_string(column.decimals);
}

// The dictionary's view of a table's columns, for the R check: name, label, numeric,
// single-value labels and special codes.
std::string ColumnsTsv(const DataTable& table) {
  std::string tsv = "name\tlabel\tnumeric\tlabels\tcodes\nline\t\t1\t\t\n";
  for (const DataColumn& column : table.columns) {
    std::string labels, codes;
    for (const NumericLabel& label : column.labels) {
      std::ostringstream pair;
      pair << std::setprecision(17) << label.value << '=' << label.label;
      labels += (labels.empty() ? "" : "\x1f") + pair.str();
    }
    for (const SpecialCode& code : column.specials) {
      std::ostringstream value;
      value << std::setprecision(17) << code.from;
      if (code.from == code.to) codes += (codes.empty() ? "" : ",") + value.str();
    }
    tsv += column.name + "\t" + column.label + "\t" + (column.numeric ? "1" : "0") + "\t" + labels + "\t" + codes + "\n";
  }
  return tsv;
}

struct Example {
  std::string name;
  std::string dictionary;
  std::string data;
};

class ExampleData : public ::testing::TestWithParam<Example> {
 protected:
  TempDir dir_;

  // Writes the data as the three formats and checks each table.
  void CheckAllFormats(const std::string& dictionary, const std::string& data) {
    for (const char* format : {"csv", "sav", "dta"}) {
      ProcessResult r = Cli(dir_, {"data", "--quiet", "--to", format, dictionary, data, "-d", dir_.file(format)});
      ASSERT_EQ(r.status, 0) << format << ": " << r.err;
    }
    std::string error;
    const FileFormat format = DictionaryFormatOf(dictionary, error);
    std::unique_ptr<DataLayout> layout = ReadDataLayoutAs(format, dictionary, error);
    ASSERT_TRUE(layout) << error;
    int tables = 0;
    for (const DataTable& table : layout->Tables()) {
      if (!fs::exists(dir_.file("csv/" + table.name + ".csv"))) continue;
      SCOPED_TRACE(table.name);
      ++tables;
      CheckInPspp(table);
      CheckInR(table);
    }
    EXPECT_GE(tables, 1);
  }

  void CheckInPspp(const DataTable& table) {
    const std::string syntax = dir_.file("list.sps"), output = dir_.file("list.csv");
    WriteFile(syntax, "GET FILE='" + dir_.file("sav/" + table.name + ".sav") + "'.\nDISPLAY DICTIONARY.\nLIST.\n");
    ProcessResult r = RunProcess("/usr/bin/pspp", {"-o", output, syntax}, dir_.path().string());
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const std::string listing = ReadTextFile(output);
    const auto variables = PsppTable(listing, "Variables");
    const auto list = PsppTable(listing, "Data List");
    const auto csv = CsvRows(ReadTextFile(dir_.file("csv/" + table.name + ".csv")));
    ASSERT_EQ(variables.size(), table.columns.size() + 2);  // the header and "line"
    const std::vector<std::string>& head = variables[0];
    const auto at = [&head](const char* name) { return std::find(head.begin(), head.end(), name) - head.begin(); };
    const size_t missingAt = static_cast<size_t>(at("Missing Values"));
    for (size_t c = 0; c < table.columns.size(); ++c) {
      const DataColumn& column = table.columns[c];
      const std::vector<std::string>& row = variables[c + 2];
      SCOPED_TRACE(column.name);
      EXPECT_EQ(row[at("Name")], column.name);
      EXPECT_EQ(row[at("Label")], column.label);
      EXPECT_EQ(row[at("Print Format")].substr(0, PrintFormat(column).size()), PrintFormat(column));
      if (column.numeric && !column.specials.empty()) {
        ASSERT_LT(missingAt, row.size());
        EXPECT_NE(row[missingAt], "");
      }
    }
    // Every value as the CSV has it: a number alike, a blank or a special as system-missing
    // or as its code.
    ASSERT_EQ(list.size(), csv.size());
    for (size_t r = 1; r < csv.size(); ++r) {
      for (size_t c = 0; c < csv[r].size(); ++c) {
        const std::string want = csv[r][c], got = Trimmed(list[r][c]);
        const bool numeric = c == 0 || table.columns[c - 1].numeric;
        if (!numeric) {
          EXPECT_EQ(got, Trimmed(want)) << "line " << csv[r][0] << ", " << csv[0][c];
        } else if (want.empty()) {
          EXPECT_EQ(got, ".") << "line " << csv[r][0] << ", " << csv[0][c];
        } else if (want == "MISSING" || want == "NOTAPPL" || want == "DEFAULT") {
          EXPECT_TRUE(got == "." || got.find_first_not_of("-0123456789.") == std::string::npos)
              << "line " << csv[r][0] << ", " << csv[0][c] << ": " << got;
        } else {
          // PSPP writes 0 as ".00" in F9.2; the values must agree as numbers.
          EXPECT_DOUBLE_EQ(std::stod(got == "." ? "nan" : got), std::stod(want)) << "line " << csv[r][0] << ", " << csv[0][c];
        }
      }
    }
  }

  void CheckInR(const DataTable& table) {
    const std::string columns = dir_.file("columns.tsv");
    WriteFile(columns, ColumnsTsv(table));
    ProcessResult r = RunProcess("/usr/bin/Rscript",
                                 {"--vanilla", std::string(TRAVO_SOURCE_DIR) + "/tests/data/check_tables.R",
                                  dir_.file("csv/" + table.name + ".csv"), dir_.file("sav/" + table.name + ".sav"),
                                  dir_.file("dta/" + table.name + ".dta"), columns},
                                 dir_.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
  }
};

TEST_P(ExampleData, PsppAndRReadWhatTheCsvHolds) {
  const Example& example = GetParam();
  std::string dictionary = example.dictionary, data = example.data;
  if (example.name == "dcf") {
    dictionary = dir_.file("household.dcf");
    ProcessResult r = Cli(dir_, {"convert", "--quiet", kExamples + "household.ddw", dictionary});
    ASSERT_EQ(r.status, 0) << r.err;
  } else if (example.name == "dcf_codes") {
    // Two levels, decimals written and implied, and a value set with MISSING, NOTAPPL and
    // DEFAULT codes.
    dictionary = dir_.file("codes.dcf");
    ASSERT_TRUE(samples::TwoLevelSurvey().Save(dictionary));
    data = dir_.file("codes.dat");
    WriteFile(data, std::string("1001 3001250 12.5M\x81ller  12120011231\n") +
                        "100299     0  1.0Ann     3  19990101\n"
                        "1003     12x\n"
                        "100398-00050 -3.5Bo\"b,   \n"
                        "100497\n"
                        "20040142\n"
                        "2004  \n");
  } else if (example.name == "wst") {
    // A work dictionary: sections told apart by codes in columns 2 and 3.
    dictionary = dir_.file("W.WST");
    vesktest::VeskBuilder work;
    work.Section({.name = "A"});
    work.Variable({.name = "X", .start = 1, .len = 2, .decimals = 1, .missing = 99});
    work.Variable({.name = "T", .type = 'A', .start = 3, .len = 4});
    work.Section({.name = "B"});
    work.Variable({.name = "Y", .start = 1, .len = 3, .notAppl = 998});
    ASSERT_TRUE(work.WriteTo(dictionary));
    data = dir_.file("w.dat");
    WriteFile(data, "1AA-5Zo\x89l\n1AA99\n1AB998\n1AB 12\n1AA  ab\n");
  }
  CheckAllFormats(dictionary, data);
}

INSTANTIATE_TEST_SUITE_P(
    EveryDictionaryFormat, ExampleData,
    ::testing::Values(Example{"ddw", kExamples + "household.ddw", kExamples + "household.dat"},
                      Example{"dd", kExamples + "household-orva31.dd", kExamples + "household.dat"},
                      Example{"dcf", "", kExamples + "household.dat"}, Example{"dcf_codes", "", ""},
                      Example{"dic", kExamples + "household-vesk.dic", kExamples + "household-vesk.dat"},
                      Example{"wst", "", ""}),
    [](const ::testing::TestParamInfo<Example>& info) { return info.param.name; });

}  // namespace
