// CDDRuleMgr::IsValid: each rule on a dictionary that breaks only it, the flags that select
// the rules, and dictionaries shaped like those the converters build, which must pass.
#include <gtest/gtest.h>

#include "SampleDict.h"
#include "libs/dict/DataDict.h"

using sample::MakeItem;
using sample::MakeVSet;

namespace {

// A dictionary that passes every rule: record type in column 1, one record of length 20.
CDataDict MakeValid() {
  CDataDict dict;
  dict.SetName("CENSUS");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(1);
  CDictLevel level;
  level.SetName("QUEST");
  CDictRecord id;
  CDictItem hh = MakeItem("HH", 2, 4);
  id.AddItem(&hh);
  level.SetIdItemsRec(&id);
  CDictRecord rec;
  rec.SetName("PERSON");
  rec.SetRecTypeVal("2");
  rec.SetRecLen(20);
  CDictItem age = MakeItem("AGE", 6, 3);
  CDictVSet ageVs = MakeVSet("AGE_VS1", {{"0", "120"}, {"999", ""}});
  age.AddVSet(&ageVs);
  CDictItem income = MakeItem("INCOME", 9, 6);
  income.SetDecimal(2);
  income.SetDecChar(true);
  CDictVSet incomeVs = MakeVSet("INCOME_VS1", {{"-9.99", "99.99"}});
  income.AddVSet(&incomeVs);
  CDictItem code = MakeItem("CODE", 15, 6, AlphaType);
  CDictItem part = MakeItem("CODE_A", 15, 3, AlphaType);
  part.SetItemType(SubItem);
  CDictVSet partVs = MakeVSet("CODE_A_VS1", {{"AB\xc3\x9c", ""}});  // three characters
  part.AddVSet(&partVs);
  for (CDictItem* item : {&age, &income, &code, &part}) rec.AddItem(item);
  level.AddRecord(&rec);
  dict.AddLevel(&level);
  return dict;
}

CDictValue SpecialValue(const char* name, VALUE_TYPE type, const char* label, const char* from) {
  CDictValue value;
  value.SetLabel(label);
  value.SetName(name);
  value.SetSpecial(true);
  value.SetValueType(type);
  CDictVPair pair(from, "");
  value.AddVPair(&pair);
  return value;
}

CDictRecord& Person(CDataDict& d) { return *d.GetLevel(0)->GetRecord(0); }
CDictItem& PersonItem(CDataDict& d, int i) { return *Person(d).GetItem(i); }
CDictVPair& Pair(CDataDict& d, int item, int value = 0, int pair = 0) {
  return *PersonItem(d, item).GetVSet(0)->GetValue(value)->GetVPair(pair);
}

bool AnyContains(const std::vector<std::string>& problems, const std::string& part) {
  for (const auto& p : problems)
    if (p.find(part) != std::string::npos) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& problems) {
  std::string all;
  for (const auto& p : problems) all += p + "\n";
  return all;
}

enum Rule { Names, Positions, Values };

struct Case {
  const char* what;
  Rule rule;
  void (*edit)(CDataDict&);
  const char* problem;  // a part of the expected problem text
};

const Case kCases[] = {
    {"empty record name", Names, [](CDataDict& d) { Person(d).SetName(""); }, "Record 1 has no name"},
    {"lower case", Names, [](CDataDict& d) { PersonItem(d, 0).SetName("Age"); }, "'Age' is not a valid name"},
    {"starts with a digit", Names, [](CDataDict& d) { d.SetName("2024_CENSUS"); }, "would be made 'X2024_CENSUS'"},
    {"too long", Names, [](CDataDict& d) { d.GetLevel(0)->SetName(std::string(33, 'Q')); }, "is not a valid name"},
    {"duplicate ignoring case", Names, [](CDataDict& d) { PersonItem(d, 1).GetVSet(0)->SetName("age"); },
     "the name 'age' is already used by Record PERSON, item AGE"},
    {"id item and record item", Names, [](CDataDict& d) { PersonItem(d, 2).SetName("HH"); }, "already used by Id items"},
    {"start before column 1", Positions, [](CDataDict& d) { PersonItem(d, 0).SetStart(0); }, "start 0 is before column 1"},
    {"zero length", Positions, [](CDataDict& d) { PersonItem(d, 2).SetLen(0); }, "length 0 is not positive"},
    {"no occurrences", Positions, [](CDataDict& d) { PersonItem(d, 0).SetOccurs(0); }, "occurrences 0"},
    {"decimals too many", Positions, [](CDataDict& d) { PersonItem(d, 2).SetDecimal(7); }, "7 decimals do not fit the length 6"},
    {"past the record length", Positions, [](CDataDict& d) { PersonItem(d, 2).SetOccurs(2); },
     "ends at column 26, past the record length 20"},
    {"huge item does not overflow", Positions,
     [](CDataDict& d) {
       PersonItem(d, 0).SetLen(INT_MAX);
       PersonItem(d, 0).SetOccurs(INT_MAX);
     },
     "past the record length"},
    {"subitem outside its item", Positions, [](CDataDict& d) { PersonItem(d, 3).SetLen(7); },
     "columns 15-21 lie outside its item CODE (columns 15-20)"},
    {"subitem first", Positions, [](CDataDict& d) { Person(d).RemoveItemAt(2), Person(d).RemoveItemAt(1), Person(d).RemoveItemAt(0); },
     "a subitem with no item before it"},
    {"record type value too long", Positions, [](CDataDict& d) { Person(d).SetRecTypeVal("22"); },
     "record type value '22' is longer than the record type length 1"},
    {"number too wide", Values, [](CDataDict& d) { Pair(d, 0, 1).SetFrom("1000"); }, "'1000' does not fit the item length 3"},
    {"negative needs the sign's column", Values, [](CDataDict& d) { Pair(d, 0).SetFrom("-100"); }, "does not fit"},
    {"too many decimals", Values, [](CDataDict& d) { Pair(d, 1).SetTo("1.234"); }, "more decimals than the item's 2"},
    {"not a number", Values, [](CDataDict& d) { Pair(d, 0).SetTo("12a"); }, "'12a' is not a number"},
    {"range backwards", Values, [](CDataDict& d) { Pair(d, 0).SetFrom("121"); }, "runs backwards"},
    {"blank but not special", Values, [](CDataDict& d) { Pair(d, 0, 1).SetFrom("   "); }, "a blank value"},
    {"special value wider than the item", Values,
     [](CDataDict& d) {
       PersonItem(d, 0).GetVSet(0)->GetValue(1)->SetSpecial(true);
       Pair(d, 0, 1).SetFrom("9999");
     },
     "'9999' is longer than the item length 3"},
    {"alpha text too long", Values, [](CDataDict& d) { Pair(d, 3).SetFrom("ABCD"); }, "'ABCD' is longer than the item length 3"},
};

}  // namespace

TEST(DictRules, TheValidDictionaryPassesEveryRule) {
  CDataDict dict = MakeValid();
  CDDRuleMgr rules;
  EXPECT_TRUE(rules.IsValid(&dict, true, true, true)) << Joined(rules.GetProblems());
}

TEST(DictRules, EachRuleReportsWhatItFindsAndOnlyUnderItsFlag) {
  for (const Case& c : kCases) {
    CDataDict dict = MakeValid();
    c.edit(dict);
    const CDataDict before = dict;
    CDDRuleMgr rules;
    EXPECT_FALSE(rules.IsValid(&dict, c.rule == Names, c.rule == Positions, c.rule == Values)) << c.what;
    EXPECT_TRUE(AnyContains(rules.GetProblems(), c.problem)) << c.what << ":\n" << Joined(rules.GetProblems());
    // The other flags do not look at it.
    const bool others = rules.IsValid(&dict, c.rule != Names, c.rule != Positions, c.rule != Values);
    if (c.rule != Values) {
      EXPECT_TRUE(others) << c.what << ":\n" << Joined(rules.GetProblems());
    }
    EXPECT_EQ(dict, before) << c.what << ": the check changed the dictionary";
  }
}

TEST(DictRules, CurrentDictionaryAndNoDictionary) {
  CDataDict dict = MakeValid();
  Person(dict).SetName("");
  CDDRuleMgr rules;
  EXPECT_FALSE(rules.IsValid(nullptr, true, true, true));
  EXPECT_EQ(rules.GetProblems().size(), 1u);
  rules.SetCurrDict(&dict);
  EXPECT_FALSE(rules.IsValid(nullptr, true, false, false));
  EXPECT_TRUE(rules.IsValid(nullptr, false, true, false));  // problems are cleared per call
  EXPECT_TRUE(rules.GetProblems().empty());
}

// Shaped like the import of the old binary format: unnamed id-items record, record
// lengths from the last item, cut record type values, value sets NAME_VS1 with special
// values MISSING and NOTAPPL (a blank single value) and texts written with ','.
TEST(DictRules, AcceptsWhatTheBinaryImportBuilds) {
  CDataDict dict;
  dict.SetName("HHS");
  dict.SetLabel("HHS");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(1);
  dict.SetZeroFill(true);
  CDictLevel level;
  level.SetName("QUEST");
  level.SetLabel("Questionnaire");
  CDictRecord id;
  id.SetMaxRecs(0);
  CDictItem cluster = MakeItem("CLUSTER", 2, 3);
  id.AddItem(&cluster);
  id.SetRecLen(4);
  level.SetIdItemsRec(&id);
  CDictRecord rec;
  rec.SetName("PERSON");
  rec.SetLabel("PERSON");
  rec.SetRecTypeVal("2");
  rec.SetRequired(true);
  CDictItem weight = MakeItem("WEIGHT", 5, 4);
  weight.SetDecimal(1);
  weight.SetZeroFill(true);
  CDictVSet vs = MakeVSet("WEIGHT_VS1", {{"2,5", "99,9"}});
  CDictValue missing = SpecialValue("MISSING", MissingType, "NR", "9999");
  CDictValue notAppl = SpecialValue("NOTAPPL", NotAppType, "", "    ");
  vs.AddValue(&missing);
  vs.AddValue(&notAppl);
  weight.AddVSet(&vs);
  CDictItem whole = MakeItem("DATE", 9, 6);
  CDictItem part = MakeItem("YEAR", 13, 2);
  part.SetItemType(SubItem);
  for (CDictItem* item : {&weight, &whole, &part}) rec.AddItem(item);
  rec.SetRecLen(14);
  level.AddRecord(&rec);
  dict.AddLevel(&level);
  dict.BuildNameList();

  CDDRuleMgr rules;
  rules.SetCurrDict(&dict);
  EXPECT_TRUE(rules.IsValid(&dict, false, true, false)) << Joined(rules.GetProblems());
  EXPECT_TRUE(rules.IsValid(&dict, true, true, false)) << Joined(rules.GetProblems());
  EXPECT_TRUE(rules.IsValid(&dict, true, true, true)) << Joined(rules.GetProblems());
}

// Shaped like the text-format import: names as the file wrote them (mixed case), a
// record length given by the file and no record type.
TEST(DictRules, AcceptsWhatTheTextImportBuildsUnderItsFlags) {
  CDataDict dict;
  dict.SetName("HHS41");
  CDictLevel level;
  level.SetName("QUEST");
  CDictRecord rec;
  rec.SetName("Household_roster");
  rec.SetRecLen(30);
  rec.SetRecTypeVal("H");  // no record type length: not checked
  CDictItem head = MakeItem("Head_of_household", 1, 30, AlphaType);
  head.SetZeroFill(true);
  rec.AddItem(&head);
  level.AddRecord(&rec);
  dict.AddLevel(&level);
  CDDRuleMgr rules;
  EXPECT_TRUE(rules.IsValid(&dict, false, true, false)) << Joined(rules.GetProblems());
  EXPECT_FALSE(rules.IsValid(&dict, true, true, false));  // lower case names are reported
}

// Shaped like the import of the other package: two levels with unnamed id-items records
// and synthetic id items, a repeating group as an alpha item with occurrences followed by
// its members as subitems of the first occurrence, decimals written with a character, and
// a not-applicable value of blanks.
TEST(DictRules, AcceptsWhatTheOtherPackageImportBuilds) {
  CDataDict dict;
  dict.SetName("VSURVEY");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(2);
  for (int l = 1; l <= 2; ++l) {
    CDictLevel level;
    level.SetName("LEVEL_" + std::to_string(l));
    level.SetLabel("LEVEL" + std::to_string(l));
    CDictRecord id;
    CDictItem idItem = MakeItem("LEVEL" + std::to_string(l) + "ID", 3, 4 * l, AlphaType);
    id.AddItem(&idItem);
    level.SetIdItemsRec(&id);
    CDictRecord rec;
    rec.SetName("SEC" + std::to_string(l));
    rec.SetRecTypeVal("S" + std::to_string(l));
    rec.SetRequired(true);
    rec.SetMaxRecs(3);
    CDictItem group = MakeItem("SEC" + std::to_string(l) + "_GROUP", 12, 5, AlphaType);
    group.SetOccurs(4);
    CDictItem a = MakeItem("A" + std::to_string(l), 12, 2), b = MakeItem("B" + std::to_string(l), 14, 3);
    b.SetDecimal(1);
    b.SetDecChar(true);
    CDictVSet vs = MakeVSet("B" + std::to_string(l) + "_VS1", {{"0.0", "9.9"}});
    CDictValue notAppl = SpecialValue("NOTAPPL", NotAppType, "NotAppl", "   ");
    vs.AddValue(&notAppl);
    b.AddVSet(&vs);
    a.SetItemType(SubItem);
    b.SetItemType(SubItem);
    for (CDictItem* item : {&group, &a, &b}) rec.AddItem(item);
    rec.SetRecLen(31);  // group start + occurrences x length - 1
    level.AddRecord(&rec);
    dict.AddLevel(&level);
  }
  CDDRuleMgr rules;
  EXPECT_TRUE(rules.IsValid(&dict, false, true, false)) << Joined(rules.GetProblems());
  EXPECT_TRUE(rules.IsValid(&dict, true, true, true)) << Joined(rules.GetProblems());
}
