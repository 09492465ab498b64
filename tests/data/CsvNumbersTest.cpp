// The CSV writer's numbers: a value with a column's decimals is written exactly as
// std::to_chars writes it in fixed notation with that many decimals (whole numbers without
// decimals as integers), whichever of the writer's paths takes it.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "Files.h"
#include "RecordingHost.h"
#include "libs/data/DataTables.h"

namespace {

struct Value {
  double number;
  int decimals;
  // The field's own digits (number == digits / 10^scale), when the value came from a field.
  bool fromField = false;
  int64_t digits = 0;
  int scale = 0;
};

std::string Expected(double value, int decimals) {
  char text[400];
  if (value == 0) value = 0.0;
  if (decimals <= 0 && std::fabs(value) < 1e15 && value == std::trunc(value))
    return std::string(text, std::to_chars(text, text + sizeof text, static_cast<long long>(value)).ptr);
  return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                         std::max(0, decimals)).ptr);
}

// The values as the writer writes them: one row each, in a column of their decimals.
std::vector<std::string> Written(const std::vector<Value>& values) {
  TempDir dir;
  DataTable table;
  table.name = "T";
  for (const Value& v : values) {
    DataColumn column;
    column.name = "V" + std::to_string(table.columns.size());
    column.decimals = v.decimals;
    table.columns.push_back(column);
  }
  std::unique_ptr<TableWriter> writer = MakeCsvWriter();
  std::string error;
  EXPECT_TRUE(writer->Begin(dir.file("t.csv"), table, -1, "", error)) << error;
  std::vector<DataCell> cells(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i].fromField)
      cells[i].SetNumber(values[i].number, values[i].digits, values[i].scale);
    else
      cells[i].SetNumber(values[i].number);
  }
  writer->Row(1, cells);
  EXPECT_TRUE(writer->Commit(error)) << error;
  const std::string csv = ReadTextFile(dir.file("t.csv"));
  const std::string row = csv.substr(csv.find("\r\n") + 2);
  std::vector<std::string> cellsText;
  size_t start = row.find(',') + 1;
  for (size_t comma; (comma = row.find_first_of(",\r", start)) != std::string::npos; start = comma + 1)
    cellsText.push_back(row.substr(start, comma - start));
  return cellsText;
}

// A field's digits with the column's decimals, exactly as the field holds them: the digits,
// zeros to the column's decimals, the point put in, no sign on zero.
std::string ExpectedOfField(const Value& v) {
  std::string text = std::to_string(v.digits < 0 ? -v.digits : v.digits);
  text += std::string(static_cast<size_t>(v.decimals - v.scale), '0');
  if (text.size() <= static_cast<size_t>(v.decimals)) text.insert(0, static_cast<size_t>(v.decimals) + 1 - text.size(), '0');
  if (v.decimals > 0) text.insert(text.size() - static_cast<size_t>(v.decimals), ".");
  return (v.digits < 0 ? "-" : "") + text;
}

void ExpectAsToChars(const std::vector<Value>& values) {
  const std::vector<std::string> written = Written(values);
  ASSERT_EQ(written.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(written[i], values[i].fromField ? ExpectedOfField(values[i]) : Expected(values[i].number, values[i].decimals))
        << values[i].number << " with " << values[i].decimals << " decimals";
}

TEST(CsvNumbers, EdgeValuesAsToChars) {
  std::vector<Value> values;
  for (double v : {0.0, -0.0, 0.05, -0.05, 0.125, -0.125, 0.005, 1.005, 2.675, -0.001, 1e-300, 999999999.5,
                   -999999999.999999, 123456789.12, 1e9, 1e15, -1e15, 1e300, 12.0, -7.0})
    for (int decimals : {-1, 0, 1, 2, 3, 9, 10, 12}) values.push_back({v, decimals});
  ExpectAsToChars(values);
}

TEST(CsvNumbers, FieldValuesAndOthersAsToChars) {
  std::mt19937_64 random(19);
  std::vector<Value> values;
  for (int decimals = 0; decimals <= 10; ++decimals) {
    for (int i = 0; i < 2000; ++i) {
      const int64_t digits = static_cast<int64_t>(random() % 2000000001) - 1000000000;
      const double power = std::pow(10.0, decimals);
      values.push_back({static_cast<double>(digits) / power, decimals});                // a field of these decimals
      values.push_back({(static_cast<double>(digits) + 0.5) / power, decimals});        // a half
      values.push_back({static_cast<double>(digits) / (power * 10), decimals});         // one decimal more
      values.push_back({std::ldexp(static_cast<double>(digits), -static_cast<int>(random() % 60)), decimals});
    }
  }
  ExpectAsToChars(values);
}

// A value read from a field carries its digits, which the writer writes without a double:
// the field's value exactly (to_chars of the double gives the same wherever the double holds
// it; where it cannot, as 344754059.2 with 8 decimals, the field's digits are the truth),
// with fewer decimals in the field than in the column too.
TEST(CsvNumbers, FieldDigitsAsTheFieldHoldsThem) {
  std::mt19937_64 random(23);
  std::vector<Value> values;
  for (int decimals = 0; decimals <= 12; ++decimals) {
    for (int scale = 0; scale <= decimals && scale <= 9; ++scale) {
      for (int64_t digits : {int64_t{0}, int64_t{5}, int64_t{-5}, int64_t{10}, int64_t{99}, int64_t{-100}, int64_t{123456789}}) {
        values.push_back({static_cast<double>(digits) / std::pow(10.0, scale), decimals, true, digits, scale});
      }
      for (int i = 0; i < 200; ++i) {
        const int64_t digits = static_cast<int64_t>(random() % 20000000001) - 10000000000;
        values.push_back({static_cast<double>(digits) / std::pow(10.0, scale), decimals, true, digits, scale});
      }
    }
  }
  ExpectAsToChars(values);
}

}  // namespace
