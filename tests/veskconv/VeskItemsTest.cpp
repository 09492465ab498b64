// Kind 3: identification records, levels, records, items and group items.
#include <string>
#include <vector>

#include "VeskConvFixture.h"

namespace veskconvtest {
namespace {

struct SectionWithVars {
  SectionSpec section;
  std::vector<VariableSpec> vars;
};

VeskBuilder Build(const HeaderSpec& header, const std::vector<SectionWithVars>& sections) {
  VeskBuilder b = WithHeader(header);
  for (const auto& s : sections) {
    b.Section(s.section);
    for (const auto& v : s.vars) b.Variable(v);
  }
  return b;
}

HeaderSpec OneLevel(int16_t idStart, int16_t idLen) {
  HeaderSpec h;
  h.levelIdStart[0] = idStart;
  h.levelIdLen[0] = idLen;
  h.recTypeStart = static_cast<int16_t>(idStart + idLen);
  return h;
}

HeaderSpec TwoLevels(int16_t len1, int16_t len2) {
  HeaderSpec h;
  h.levelIdStart[0] = 1;
  h.levelIdLen[0] = len1;
  h.levelIdStart[1] = static_cast<int16_t>(1 + len1);
  h.levelIdLen[1] = len2;
  h.recTypeStart = static_cast<int16_t>(1 + len1 + len2);
  return h;
}

// Variables of a section that share a column with their level's identification span
// become the level's identification items; the columns none of them covers become
// LEVELnID (no identification variable) or LEVELnID_p items.
TEST_F(VeskConvTest, IdentificationItemsComeFromTheSpanOfEachLevel) {
  using V = std::vector<std::string>;
  struct Case {
    const char* what;
    HeaderSpec header;
    std::vector<SectionWithVars> sections;
    std::vector<V> ids;      // per level
    std::vector<V> records;  // per record, all levels
  };
  HeaderSpec emptySpan;  // level 2 is declared by a length at index 2; index 1 is empty
  emptySpan.levelIdLen[1] = 0;
  emptySpan.levelIdStart[2] = 8;
  emptySpan.levelIdLen[2] = 2;
  const Case cases[] = {
      {"no identification variable",
       OneLevel(1, 3),
       {{{.name = "R"}, {{.name = "X", .start = 5}}}},
       {{"LEVEL1ID 1 3"}},
       {{"X 5 1"}}},
      {"a variable on the whole span",
       OneLevel(1, 3),
       {{{.name = "R"}, {{.name = "HID", .start = 1, .len = 3}, {.name = "X", .start = 5}}}},
       {{"HID 1 3"}},
       {{"X 5 1"}}},
      {"a variable inside the span",
       OneLevel(1, 10),
       {{{.name = "R"}, {{.name = "V", .start = 4, .len = 3}, {.name = "X", .start = 12}}}},
       {{"V 4 3", "LEVEL1ID_1 1 3", "LEVEL1ID_2 7 4"}},
       {{"X 12 1"}}},
      {"a variable reaching into the span from before it",
       OneLevel(3, 3),
       {{{.name = "R"}, {{.name = "V", .start = 1, .len = 3}, {.name = "X", .start = 7}}}},
       {{"V 1 3", "LEVEL1ID_1 4 2"}},
       {{"X 7 1"}}},
      {"a variable ending right before the span",
       OneLevel(3, 3),
       {{{.name = "R"}, {{.name = "V", .start = 1, .len = 2}, {.name = "X", .start = 7}}}},
       {{"LEVEL1ID 3 3"}},
       {{"V 1 2", "X 7 1"}}},
      {"a variable starting right after the span",
       OneLevel(1, 3),
       {{{.name = "R"}, {{.name = "V", .start = 4, .len = 2}}}},
       {{"LEVEL1ID 1 3"}},
       {{"V 4 2"}}},
      {"two sections of a level: section order, then variable order",
       OneLevel(1, 6),
       {{{.name = "A"}, {{.name = "A2", .start = 3, .len = 2}, {.name = "A1", .start = 1}, {.name = "X", .start = 8}}},
        {{.name = "B"}, {{.name = "B1", .start = 6}, {.name = "Y", .start = 8}}}},
       {{"A2 3 2", "A1 1 1", "B1 6 1", "LEVEL1ID_1 2 1", "LEVEL1ID_2 5 1"}},
       {{"X 8 1"}, {"Y 8 1"}}},
      {"parts count on across the levels",
       TwoLevels(4, 3),
       {{{.name = "H"}, {{.name = "H1", .start = 2}, {.name = "X", .start = 9}}},
        {{.name = "P", .level = '2'}, {{.name = "P1", .start = 5}, {.name = "Y", .start = 9}}}},
       {{"H1 2 1", "LEVEL1ID_1 1 1", "LEVEL1ID_2 3 2"}, {"P1 5 1", "LEVEL2ID_3 6 2"}},
       {{"X 9 1"}, {"Y 9 1"}}},
      {"a whole-span item uses no part",
       TwoLevels(4, 3),
       {{{.name = "H"}, {{.name = "X", .start = 9}}},
        {{.name = "P", .level = '2'}, {{.name = "P1", .start = 5}, {.name = "Y", .start = 9}}}},
       {{"LEVEL1ID 1 4"}, {"P1 5 1", "LEVEL2ID_1 6 2"}},
       {{"X 9 1"}, {"Y 9 1"}}},
      {"only the span of the section's own level counts",
       TwoLevels(4, 3),
       {{{.name = "H"}, {{.name = "X", .start = 6}}}, {{.name = "P", .level = '2'}, {{.name = "Y", .start = 2}}}},
       {{"LEVEL1ID 1 4"}, {"LEVEL2ID 5 3"}},
       {{"X 6 1"}, {"Y 2 1"}}},
      {"an empty span has no item and no column to share",
       emptySpan,
       {{{.name = "H"}, {{.name = "X", .start = 5}}}, {{.name = "P", .level = '2'}, {{.name = "Y", .start = 1}}}},
       {{"LEVEL1ID 1 3"}, {}},
       {{"X 5 1"}, {"Y 1 1"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CDataDict dict = Converted(Build(c.header, c.sections));
    ASSERT_EQ(dict.GetNumLevels(), static_cast<int>(c.ids.size()));
    std::vector<V> records;
    for (int l = 0; l < dict.GetNumLevels(); ++l) {
      EXPECT_EQ(Items(*dict.GetLevel(l)->GetIdItemsRec()), c.ids[l]) << "level " << l + 1;
      for (int r = 0; r < dict.GetLevel(l)->GetNumRecords(); ++r) records.push_back(Items(*dict.GetLevel(l)->GetRecord(r)));
    }
    EXPECT_EQ(records, c.records);
  }
}

// An identification variable is an item like any other (its value set included); the
// made-up ones are alpha, labelled after their level and part, without value set.
TEST_F(VeskConvTest, IdentificationItemsKeepTheirValueSetsAndMadeUpOnesAreLabelled) {
  const CDataDict dict = Converted(
      Build(TwoLevels(2, 4), {{{.name = "H"}, {{.name = "X", .start = 9}}},
                              {{.name = "P", .level = '2'},
                               {{.name = "PID", .start = 4, .len = 3, .labels = {"Person", "1", "Head"}},
                                {.name = "Y", .start = 9}}}}));
  const CDictItem* whole = dict.GetLevel(0)->GetIdItemsRec()->GetItem(0);
  EXPECT_EQ(whole->GetName(), "LEVEL1ID");
  EXPECT_EQ(whole->GetLabel(), "Level1 Identification");
  EXPECT_EQ(whole->GetDataType(), AlphaType);
  EXPECT_EQ(whole->GetNumVSets(), 0);

  const CDictRecord* ids = dict.GetLevel(1)->GetIdItemsRec();
  ASSERT_EQ(Items(*ids), (std::vector<std::string>{"PID 4 3", "LEVEL2ID_1 3 1"}));
  const CDictItem* pid = ids->GetItem(0);
  EXPECT_EQ(pid->GetLabel(), "Person");
  EXPECT_EQ(pid->GetDataType(), NumericType);
  ASSERT_EQ(pid->GetNumVSets(), 1);
  EXPECT_EQ(pid->GetVSet(0)->GetName(), "PID_VS1");
  EXPECT_EQ(Values(*pid->GetVSet(0)), std::vector<std::string>{"1;Head"});
  const CDictItem* part = ids->GetItem(1);
  EXPECT_EQ(part->GetLabel(), "Level2 Identification Part 1");
  EXPECT_EQ(part->GetDataType(), AlphaType);
  EXPECT_EQ(part->GetNumVSets(), 0);
}

// Sections are sorted by level, keeping the file order within a level.
TEST_F(VeskConvTest, SectionsGoToTheirLevelsInFileOrder) {
  const CDataDict dict =
      Converted(Build(TwoLevels(2, 1), {{{.name = "P1", .level = '2'}, {{.name = "A", .start = 5}}},
                                        {{.name = "H1"}, {{.name = "B", .start = 5}}},
                                        {{.name = "P2", .level = '2'}, {{.name = "C", .start = 5}}},
                                        {{.name = "H2"}, {{.name = "D", .start = 5}}}}));
  ASSERT_EQ(dict.GetNumLevels(), 2);
  const char* records[2][2] = {{"H1", "H2"}, {"P1", "P2"}};
  for (int l = 0; l < 2; ++l) {
    const CDictLevel* level = dict.GetLevel(l);
    EXPECT_EQ(level->GetName(), "LEVEL_" + std::to_string(l + 1));
    EXPECT_EQ(level->GetLabel(), "LEVEL" + std::to_string(l + 1));
    ASSERT_EQ(level->GetNumRecords(), 2);
    for (int r = 0; r < 2; ++r) EXPECT_EQ(level->GetRecord(r)->GetName(), records[l][r]);
  }
}

TEST_F(VeskConvTest, SectionsBecomeRecords) {
  struct Case {
    SectionWithVars section;
    std::string label;
    std::string recTypeVal;
    bool required;
    int maxRecs;
    int recLen;
  };
  const std::string long40 = "A record label of forty characters, cut";
  const Case cases[] = {
      {{{.name = "PLAIN", .code = "1"}, {{.name = "A", .start = 7, .len = 2}}}, "PLAIN", "1", true, 1, 8},
      {{{.name = "PERSON", .code = "AB", .minOcc = 0, .maxOcc = 25, .labels = {"Persons in the household  ", "More"}},
        {{.name = "B", .start = 7}}},
       "Persons in the household", "AB", false, 25, 7},
      {{{.name = "LONG", .code = "X Y", .minOcc = 2, .maxOcc = 9, .labels = {long40}}, {{.name = "C", .start = 7}}},
       long40.substr(0, 30), "X Y", true, 9, 7},
      {{{.name = "BLANK", .code = "Z", .labels = {"    "}}, {{.name = "D", .start = 7}}}, "BLANK", "Z", true, 1, 7},
      // The length is where the last variable ends, even if an earlier one ends further.
      {{{.name = "LAST", .code = "L"}, {{.name = "E", .start = 20, .len = 5}, {.name = "F", .start = 7, .len = 2}}},
       "LAST", "L", true, 1, 8},
      // A group member last: the group's start plus its occurrences of its first run.
      {{{.name = "GROUPED", .code = "G", .groupOcc = 3},
        {{.name = "G1", .kind = 'M', .start = 7, .len = 2}, {.name = "G2", .kind = 'M', .start = 9, .len = 1}}},
       "GROUPED", "G", true, 1, 15},
      {{{.name = "EMPTY", .code = "E"}, {}}, "EMPTY", "E", true, 1, 0},
      {{{.name = "HUGE", .code = "H"}, {{.name = "H", .start = 9990, .len = 20}}}, "HUGE", "H", true, 1, 0},
  };
  HeaderSpec header;
  header.recTypeLen = 3;
  std::vector<SectionWithVars> sections;
  for (const Case& c : cases) sections.push_back(c.section);
  const CDataDict dict = Converted(Build(header, sections));
  const CDictLevel* level = dict.GetLevel(0);
  ASSERT_EQ(level->GetNumRecords(), static_cast<int>(std::size(cases)));
  for (int r = 0; r < level->GetNumRecords(); ++r) {
    const Case& c = cases[r];
    const CDictRecord* record = level->GetRecord(r);
    SCOPED_TRACE(c.section.section.name);
    EXPECT_EQ(record->GetName(), c.section.section.name);
    EXPECT_EQ(record->GetLabel(), c.label);
    EXPECT_EQ(record->GetRecTypeVal(), c.recTypeVal);
    EXPECT_EQ(record->GetRequired(), c.required);
    EXPECT_EQ(record->GetMaxRecs(), c.maxRecs);
    EXPECT_EQ(record->GetRecLen(), c.recLen);
  }
}

TEST_F(VeskConvTest, VariablesBecomeItems) {
  struct Case {
    VariableSpec var;
    std::string label;
    DATA_TYPE type;
    bool decChar;
  };
  const std::string long70(70, 'L');
  const Case cases[] = {
      {{.name = "COUNT", .start = 5, .len = 3}, "COUNT", NumericType, false},
      {{.name = "INCOME", .start = 8, .len = 6, .decimals = 2}, "INCOME", NumericType, true},
      {{.name = "TEXT", .type = 'A', .start = 14, .len = 4, .decimals = 1}, "TEXT", AlphaType, false},
      {{.name = "ODD", .type = 'X', .start = 18, .len = 2}, "ODD", AlphaType, false},
      {{.name = "ZEROS", .start = 20, .len = 2, .zeroFill = true}, "ZEROS", NumericType, false},
      {{.name = "AGE", .start = 22, .len = 2, .labels = {"Age of the person   "}}, "Age of the person", NumericType,
       false},
      {{.name = "BLANK", .start = 24, .labels = {"   "}}, "BLANK", NumericType, false},
      {{.name = "LONG", .start = 25, .labels = {long70}}, long70.substr(0, 60), NumericType, false},
      {{.name = "WIDE", .type = 'A', .start = 26, .len = 300}, "WIDE", AlphaType, false},
  };
  VeskBuilder b = WithHeader();
  b.Section({.name = "R"});
  for (const Case& c : cases) b.Variable(c.var);
  const CDataDict dict = Converted(b);
  const CDictRecord* record = dict.GetLevel(0)->GetRecord(0);
  ASSERT_EQ(record->GetNumItems(), static_cast<int>(std::size(cases)));
  for (int i = 0; i < record->GetNumItems(); ++i) {
    const Case& c = cases[i];
    const CDictItem* item = record->GetItem(i);
    SCOPED_TRACE(c.var.name);
    EXPECT_EQ(item->GetName(), c.var.name);
    EXPECT_EQ(item->GetLabel(), c.label);
    EXPECT_EQ(item->GetDataType(), c.type);
    EXPECT_EQ(item->GetItemType(), Item);
    EXPECT_EQ(item->GetStart(), c.var.start);
    EXPECT_EQ(item->GetLen(), c.var.len);
    EXPECT_EQ(item->GetOccurs(), 1);
    EXPECT_EQ(item->GetDecimal(), c.var.decimals);
    EXPECT_EQ(item->GetDecChar(), c.decChar);
    EXPECT_EQ(item->GetZeroFill(), c.var.zeroFill);
    EXPECT_EQ(item->GetNumVSets(), 0);
  }
}

// Group members are subitems after a group item that spans one occurrence of the group
// (from its first member, as long as all its members together); an ordinary variable
// between members starts a second group item, the same again.
TEST_F(VeskConvTest, GroupMembersBecomeSubitemsOfAGroupItem) {
  VeskBuilder b = WithHeader();
  b.Section({.name = "PERSON", .maxOcc = 1, .groupOcc = 4});
  b.Variable({.name = "A", .start = 5});
  b.Variable({.name = "M1", .kind = 'M', .start = 6, .len = 2, .labels = {"First member"}});
  b.Variable({.name = "M2", .type = 'A', .kind = 'M', .start = 8, .len = 1});
  b.Variable({.name = "B", .start = 20});
  b.Variable({.name = "M3", .kind = 'M', .start = 21, .len = 2});
  const CDataDict dict = Converted(b);
  const CDictRecord* record = dict.GetLevel(0)->GetRecord(0);
  EXPECT_EQ(Items(*record), (std::vector<std::string>{"A 5 1", "PERSON_GROUP 6 5", "M1 6 2", "M2 8 1", "B 20 1",
                                                       "PERSON_GROUP 6 5", "M3 21 2"}));
  for (int g : {1, 5}) {
    const CDictItem* group = record->GetItem(g);
    EXPECT_EQ(group->GetLabel(), "Item created from VESK Group");
    EXPECT_EQ(group->GetDataType(), AlphaType);
    EXPECT_EQ(group->GetItemType(), Item);
    EXPECT_EQ(group->GetOccurs(), 4);
    EXPECT_EQ(group->GetNumVSets(), 0);
  }
  const ITEM_TYPE types[] = {Item, Item, SubItem, SubItem, Item, Item, SubItem};
  for (int i = 0; i < record->GetNumItems(); ++i) EXPECT_EQ(record->GetItem(i)->GetItemType(), types[i]) << i;
  EXPECT_EQ(record->GetItem(2)->GetLabel(), "First member");
  EXPECT_EQ(record->GetItem(2)->GetOccurs(), 1);
  EXPECT_EQ(record->GetItem(3)->GetDataType(), AlphaType);
}

}  // namespace
}  // namespace veskconvtest
