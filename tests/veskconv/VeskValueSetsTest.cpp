// Kind 3: value sets from value labels, ranges and special codes.
#include <limits>
#include <string>
#include <vector>

#include "VeskConvFixture.h"

namespace veskconvtest {
namespace {

const double kBlank = Special(0x4AF0B46C6CDD6E3Dull);
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// One variable V at column 5 of a one-level dictionary, converted; its item.
class ValueSetTest : public VeskConvTest {
 protected:
  CDataDict ConvertVariable(VariableSpec var) {
    var.name = "V";
    var.start = 5;
    VeskBuilder b = WithHeader();
    b.Section({.name = "R"});
    b.Variable(var);
    return Converted(b);
  }
  static const CDictItem& TheItem(const CDataDict& dict) { return *dict.GetLevel(0)->GetRecord(0)->GetItem(0); }
};

TEST_F(ValueSetTest, ValuesComeFromLabelsRangesAndCodes) {
  using V = std::vector<std::string>;
  struct Case {
    const char* what;
    VariableSpec var;
    V values;  // empty: no value set
  };
  const Case cases[] = {
      // Labelled values alone: the value as written (without blanks) and its label.
      {"numeric labels", {.len = 2, .labels = {"Sex", "1", "Male", " 2  ", "Female"}}, {"1;Male", "2;Female"}},
      {"alpha labels are padded to the length",
       {.type = 'A', .len = 3, .labels = {"Kind", "X", "Ex", "ABC", "Abc"}},
       {"X  ;Ex", "ABC;Abc"}},
      {"a label beside a value keeps its leading blanks", {.labels = {"Own", "1", "  Indented  "}}, {"1;  Indented"}},
      {"reading stops at a blank pair", {.labels = {"Own", "1", "One", "", "", "2", "Two"}}, {"1;One"}},
      {"only the variable's own label", {.labels = {"Just a label"}}, {}},
      // Ranges alone: from and to, with the variable's decimals.
      {"ranges", {.len = 2, .ranges = {{1, 5}, {9, 9}}}, {"1:5;", "9:9;"}},
      {"ranges with decimals", {.len = 4, .decimals = 2, .ranges = {{1, 5}}}, {"1.00:5.00;"}},
      // Both: labelled values are cut out of the ranges, then all is sorted.
      {"a label inside a range", {.ranges = {{1, 5}}, .labels = {"Q", "3", "Three"}}, {"1:2;", "3:3;Three", "4:5;"}},
      {"a label on a range's low end", {.ranges = {{1, 5}}, .labels = {"Q", "1", "One"}}, {"1:1;One", "2:5;"}},
      {"a label on a range's high end", {.ranges = {{1, 5}}, .labels = {"Q", "5", "Five"}}, {"1:4;", "5:5;Five"}},
      {"a label outside every range", {.ranges = {{1, 5}}, .labels = {"Q", "9", "Nine"}}, {"1:5;", "9:9;Nine"}},
      {"a label on a single-value range", {.ranges = {{3, 3}}, .labels = {"Q", "3", "Three"}}, {"3:3;Three"}},
      {"cut in tenths",
       {.len = 3, .decimals = 1, .ranges = {{1, 2}}, .labels = {"Q", "1.5", "Half"}},
       {"1.0:1.4;", "1.5:1.5;Half", "1.6:2.0;"}},
      {"two labels in unsorted ranges",
       {.len = 2, .ranges = {{6, 10}, {1, 5}}, .labels = {"Q", "8", "Eight", "3", "Three"}},
       {"1:2;", "3:3;Three", "4:5;", "6:7;", "8:8;Eight", "9:10;"}},
      // A damaged file: ranges of NaN numbers go last and leave the others in order.
      {"ranges of NaN numbers",
       {.len = 2, .ranges = {{7, 8}, {kNaN, kNaN}, {1, 5}}, .labels = {"Q", "3", "Three"}},
       {"1:2;", "3:3;Three", "4:5;", "7:8;", "nan:nan;"}},
      // Special codes of numeric variables.
      {"codes alone",
       {.len = 2, .missing = 99, .notAppl = 98, .dflt = 97},
       {"99;Missing {MISSING 1}", "98;NotAppl {NOTAPPL 2}", "97;Default {DEFAULT 3}"}},
      {"a code with decimals", {.len = 4, .decimals = 1, .missing = 9}, {"9.0;Missing {MISSING 1}"}},
      {"a code after the labels", {.notAppl = 9, .labels = {"Q", "1", "One"}}, {"1;One", "9;NotAppl {NOTAPPL 2}"}},
      {"a code cut out of a range", {.dflt = 9, .ranges = {{1, 9}}}, {"1:8;", "9:9;Default {DEFAULT 3}"}},
      {"the blank code", {.len = 3, .notAppl = kBlank}, {"   ;NotAppl {NOTAPPL 2}"}},
      {"the blank code beside a range", {.len = 2, .missing = kBlank, .ranges = {{1, 5}}},
       {"1:5;", "  ;Missing {MISSING 1}"}},
      {"the markers are no codes", {.len = 2}, {}},
      {"an alpha variable has no codes", {.type = 'A', .len = 2, .missing = 9, .notAppl = 8, .dflt = 7}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CDataDict dict = ConvertVariable(c.var);
    const CDictItem& item = TheItem(dict);
    if (c.values.empty()) {
      EXPECT_EQ(item.GetNumVSets(), 0);
      continue;
    }
    ASSERT_EQ(item.GetNumVSets(), 1);
    const CDictVSet* vset = item.GetVSet(0);
    EXPECT_EQ(vset->GetName(), "V_VS1");
    EXPECT_EQ(vset->GetLabel(), item.GetLabel());
    EXPECT_EQ(Values(*vset), c.values);
    EXPECT_TRUE(host.messages.empty()) << Messages();
  }
}

// At most 1000 labelled values are read; the special codes come after them.
TEST_F(ValueSetTest, AThousandLabelledValuesAtMost) {
  VariableSpec var{.len = 4, .missing = 9999};
  var.labels = {"Counted"};
  for (int n = 1; n <= 1001; ++n) {
    var.labels.push_back(std::to_string(n));
    var.labels.push_back("L" + std::to_string(n));
  }
  const CDataDict dict = ConvertVariable(var);
  ASSERT_EQ(TheItem(dict).GetNumVSets(), 1);
  const std::vector<std::string> values = Values(*TheItem(dict).GetVSet(0));
  ASSERT_EQ(values.size(), 1001u);
  EXPECT_EQ(values[0], "1;L1");
  EXPECT_EQ(values[999], "1000;L1000");
  EXPECT_EQ(values[1000], "9999;Missing {MISSING 1}");
}

// An alpha value with both kinds of quote is reported once and kept with apostrophes only.
TEST_F(ValueSetTest, AnAlphaValueWithBothQuotesIsReportedAndMended) {
  const CDataDict dict = ConvertVariable(
      {.type = 'A', .len = 4, .labels = {"Quote", "a'\"b", "Mixed", "c'd", "Apos", "e\"f", "Dq", "\"'", "Both"}});
  const std::string tail = ". Only one class of apostrophe is allowed in Var 'V' Dic 'SURVEY'";
  EXPECT_EQ(host.texts(), (std::vector<std::string>{"Invalid string (a'\"b)" + tail, "Invalid string (\"')" + tail}));
  ASSERT_EQ(TheItem(dict).GetNumVSets(), 1);
  EXPECT_EQ(Values(*TheItem(dict).GetVSet(0)),
            (std::vector<std::string>{"a''b;Mixed", "c'd ;Apos", "e\"f ;Dq", "''  ;Both"}));
}

}  // namespace
}  // namespace veskconvtest
