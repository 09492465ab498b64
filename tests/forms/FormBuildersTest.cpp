// The group and roster builders: exact pixels with fixed metrics (docs/forms-layout.md),
// which dictionary items become which fields, and forms that never overlap.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "FormOutline.h"
#include "libs/forms/FormFile.h"

namespace {

struct ItemDef {
  const char* name;
  const char* label;
  int len = 1;
  int occurs = 1;
  bool sub = false;
  int decimals = 0;
  bool decChar = false;
};

// Every character 7 pixels wide and every line 13 high: a box for n characters is
// 10n + 1 by 15 pixels, a label of n characters 7n by 13.
class FormBuilders : public ::testing::Test {
 protected:
  FormBuilders() {
    dict_.SetName("SURVEY");
    CDictLevel level;
    dict_.AddLevel(&level);
    ff_.SetDefTxtLF(LOGFONT{"Label Face", -11, 700, true});
  }

  // A record of those items, stored in the dictionary so that its links are set.
  const CDictRecord* Record(const std::vector<ItemDef>& items, int maxRecs = 1) {
    CDictRecord rec;
    rec.SetName("PERSON");
    rec.SetLabel("Persons");
    rec.SetMaxRecs(maxRecs);
    for (const ItemDef& d : items) {
      CDictItem item;
      item.SetName(d.name);
      item.SetLabel(d.label);
      item.SetLen(d.len);
      item.SetOccurs(d.occurs);
      item.SetItemType(d.sub ? SubItem : Item);
      item.SetDecimal(d.decimals);
      item.SetDecChar(d.decChar);
      rec.AddItem(&item);
    }
    CDictLevel* level = dict_.GetLevel(0);
    return level->GetRecord(level->AddRecord(&rec));
  }

  static CDEDragOptions Options(bool rosters, bool subitems, bool enterKey = false) {
    CDEDragOptions options;
    options.UseRosters(rosters ? 1 : 0);
    options.UseSubitems(subitems);
    options.UseEnterKey(enterKey);
    return options;
  }

  static const CDEField* FieldAt(const CDEGroup& group, int i) {
    const CDEItemBase* item = group.GetItem(i);
    return item && item->GetItemType() == CDEFormBase::Field ? static_cast<const CDEField*>(item) : nullptr;
  }

  CFixedTextMeasurer measurer_{7, 13};
  ScopedTextMeasurer installed_{measurer_};
  CDEFormFile ff_;
  CDataDict dict_;
};

bool Empty(const CRect& r) { return r.right <= r.left || r.bottom <= r.top; }
bool Overlap(const CRect& a, const CRect& b) {
  return !Empty(a) && !Empty(b) && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Inside(const CRect& inner, const CRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}
std::string Show(const CRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

struct Piece {
  std::string what;
  CRect rect;
};

// The roster's own drawing: headings, and each field's box repeated for every row, one
// row height (box height + 8) apart. All of it lies inside the roster and nothing overlaps.
void ExpectRosterDrawsInside(const CDERoster2& roster) {
  std::vector<Piece> pieces;
  for (int i = 0; i < roster.GetNumItems(); ++i) {
    const auto* field = static_cast<const CDEField*>(roster.GetItem(i));
    ASSERT_EQ(field->GetItemType(), CDEFormBase::Field);
    EXPECT_EQ(field->GetOcc(), -1);
    const CRect box = field->GetDims();
    const long long rowHeight = box.Height() + 8;
    pieces.push_back({field->GetName() + " heading", field->GetTextDims()});
    for (int row : std::set<int>{0, 1, roster.GetMaxLoops() - 1}) {
      if (row >= roster.GetMaxLoops()) continue;
      const long long top = box.top + row * rowHeight, bottom = box.bottom + row * rowHeight;
      ASSERT_LE(bottom, INT_MAX);
      pieces.push_back({field->GetName() + " row " + std::to_string(row),
                        CRect(box.left, static_cast<int>(top), box.right, static_cast<int>(bottom))});
    }
  }
  for (size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_TRUE(Inside(pieces[i].rect, roster.GetDims()) || Empty(pieces[i].rect))
        << pieces[i].what << " " << Show(pieces[i].rect) << " outside roster " << Show(roster.GetDims());
    for (size_t j = i + 1; j < pieces.size(); ++j)
      EXPECT_FALSE(Overlap(pieces[i].rect, pieces[j].rect))
          << pieces[i].what << " " << Show(pieces[i].rect) << " overlaps " << pieces[j].what << " "
          << Show(pieces[j].rect);
  }
}

// Every box, label and roster of the group lies inside the group's rectangle and no two overlap.
void ExpectNoOverlapInside(const CDEGroup& group) {
  std::vector<Piece> pieces;
  for (int i = 0; i < group.GetNumItems(); ++i) {
    const CDEItemBase* item = group.GetItem(i);
    pieces.push_back({item->GetName(), item->GetDims()});
    if (item->GetItemType() == CDEFormBase::Field)
      pieces.push_back({item->GetName() + " label", static_cast<const CDEField*>(item)->GetTextDims()});
    if (item->GetItemType() == CDEFormBase::Roster) ExpectRosterDrawsInside(*static_cast<const CDERoster2*>(item));
  }
  for (size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_TRUE(Inside(pieces[i].rect, group.GetDims()))
        << pieces[i].what << " " << Show(pieces[i].rect) << " outside group " << Show(group.GetDims());
    for (size_t j = i + 1; j < pieces.size(); ++j)
      EXPECT_FALSE(Overlap(pieces[i].rect, pieces[j].rect))
          << pieces[i].what << " " << Show(pieces[i].rect) << " overlaps " << pieces[j].what << " "
          << Show(pieces[j].rect);
  }
}

TEST_F(FormBuilders, AVerticalGroupHasALabelColumnAndAFieldColumn) {
  const CDictRecord* rec = Record({{"AGE", "Age", 3},
                                   {"NAME", "Name of the person", 20},  // 126 pixels: wider than 100
                                   {"INCOME", "Income", 7, 1, false, 2}});  // 8 characters with the point
  CDEGroup group;
  const CDEDragOptions options = Options(false, false, true);
  ASSERT_TRUE(ff_.CreateGroup(&group, rec, 3, nullptr, 100, &options, false, false));
  ASSERT_EQ(Outline(group), "AGE NAME INCOME");

  // Label column 10..52 ("Income"), fields at 10 + 42 + 10; rows 15 high, 6 apart; a label
  // centred on its row; the wide label on a row of its own with its field below it.
  const CRect boxes[] = {{62, 10, 93, 25}, {62, 50, 263, 65}, {62, 71, 143, 86}};
  const CRect labels[] = {{10, 11, 31, 24}, {10, 31, 136, 44}, {10, 72, 52, 85}};
  for (int i = 0; i < 3; ++i) {
    const CDEField* field = FieldAt(group, i);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetDims(), boxes[i]) << i;
    EXPECT_EQ(field->GetTextDims(), labels[i]) << i;
  }
  EXPECT_EQ(group.GetDims(), CRect(0, 0, 273, 96));
  EXPECT_EQ(group.GetName(), "PERSON");
  EXPECT_EQ(group.GetLabel(), "Persons");

  // What a field says about its item.
  const CDEField* age = FieldAt(group, 0);
  EXPECT_EQ(age->GetName(), "AGE");
  EXPECT_EQ(age->GetItemName(), "AGE");
  EXPECT_EQ(age->GetItemDict(), "SURVEY");
  EXPECT_EQ(age->GetOcc(), -1);
  EXPECT_EQ(age->GetDictItem(), rec->GetItem(0));
  EXPECT_EQ(age->GetFormNum(), 3);
  EXPECT_EQ(age->GetDETextPtr()->GetFormNum(), 3);
  EXPECT_EQ(age->GetLabel(), "Age");
  EXPECT_EQ(age->GetDETextPtr()->GetName(), "AGE_TXT");
  EXPECT_EQ(age->GetDETextPtr()->GetLogFont(), ff_.GetDefTxtLF());
  EXPECT_TRUE(age->IsEnterKeyRequired());
  EXPECT_FALSE(age->IsProtected());
}

TEST_F(FormBuilders, AHorizontalGroupIsOneRowAndStartsAtTheGroupsCorner) {
  const CDictRecord* rec = Record({{"AGE", "Age", 3}, {"INCOME", "Income", 7, 1, false, 2}});
  CDEGroup group;
  group.SetDims(100, 50, 0, 0);
  ASSERT_TRUE(ff_.CreateGroup(&group, rec, 1, nullptr, 10, nullptr, true, false));
  ASSERT_EQ(Outline(group), "AGE INCOME");
  EXPECT_EQ(FieldAt(group, 0)->GetTextDims(), CRect(110, 61, 131, 74));
  EXPECT_EQ(FieldAt(group, 0)->GetDims(), CRect(141, 60, 172, 75));
  EXPECT_EQ(FieldAt(group, 1)->GetTextDims(), CRect(192, 61, 234, 74));
  EXPECT_EQ(FieldAt(group, 1)->GetDims(), CRect(244, 60, 325, 75));
  EXPECT_EQ(group.GetDims(), CRect(100, 50, 335, 85));
  EXPECT_FALSE(FieldAt(group, 0)->IsEnterKeyRequired());  // null options: the defaults
}

TEST_F(FormBuilders, AnItemRosterHasAHeadingBandAndRowsOfBoxHeightPlusPadding) {
  const CDictRecord* rec = Record({{"KIDS", "Kids", 2, 3}});
  const CDEDragOptions options = Options(true, true);
  struct Case {
    bool headings;
    CRect box, heading, roster;
  };
  // Column 36 wide (the 28-pixel heading + 8), heading band 21 high, rows 23 high.
  const Case cases[] = {
      {true, {27, 55, 48, 70}, {24, 34, 52, 47}, {20, 30, 56, 120}},
      // Without headings the column is the box's, the rows start at the top and the
      // label keeps an empty rectangle at the box's corner.
      {false, {24, 34, 45, 49}, {24, 34, 24, 34}, {20, 30, 49, 99}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headings);
    CDERoster2 roster;
    ASSERT_TRUE(ff_.CreateRoster2(&roster, rec->GetItem(0), 4, CPoint(20, 30), nullptr, &options, 3, c.headings,
                                  nullptr));
    ASSERT_EQ(Outline(roster), "KIDS");
    EXPECT_EQ(roster.GetMaxLoops(), 3);
    EXPECT_EQ(roster.GetFormNum(), 4);
    EXPECT_EQ(roster.GetDims(), c.roster);
    EXPECT_EQ(roster.GetName(), "KIDS_ROSTER");
    EXPECT_EQ(roster.GetLabel(), "Kids");
    const CDEField* field = FieldAt(roster, 0);
    EXPECT_EQ(field->GetDims(), c.box);
    EXPECT_EQ(field->GetTextDims(), c.heading);
    EXPECT_EQ(field->GetLabel(), "Kids");
    EXPECT_EQ(field->GetItemDict(), "SURVEY");
    EXPECT_EQ(field->GetFormNum(), 4);
    ExpectRosterDrawsInside(roster);
  }
}

TEST_F(FormBuilders, ARecordRosterHasAColumnPerItemAndARowPerRecord) {
  const CDictRecord* rec = Record({{"A", "A", 1}, {"B", "Bee", 4}, {"B1", "First", 2, 1, true}}, 5);
  CDERoster2 roster;
  roster.SetName("MINE");
  ASSERT_TRUE(ff_.CreateRoster2(&roster, rec, 2, CPoint(0, 0), nullptr, true));
  ASSERT_EQ(Outline(roster), "A B");  // subitems left out
  EXPECT_EQ(roster.GetName(), "MINE");  // a name given is kept
  EXPECT_EQ(roster.GetLabel(), "Persons");
  EXPECT_EQ(roster.GetMaxLoops(), 5);
  // Columns 19 (box 11, heading 7) and 49 (box 41, heading 21) wide, side by side.
  EXPECT_EQ(FieldAt(roster, 0)->GetDims(), CRect(4, 25, 15, 40));
  EXPECT_EQ(FieldAt(roster, 1)->GetDims(), CRect(23, 25, 64, 40));
  EXPECT_EQ(FieldAt(roster, 1)->GetTextDims(), CRect(33, 4, 54, 17));
  EXPECT_EQ(roster.GetDims(), CRect(0, 0, 68, 21 + 5 * 23));
  EXPECT_EQ(FieldAt(roster, 0)->GetItemDict(), "SURVEY");

  CDERoster2 withSubitems;
  const CDEDragOptions options = Options(false, true);
  ASSERT_TRUE(ff_.CreateRoster2(&withSubitems, Record({{"B", "Bee", 4}, {"B1", "First", 2, 1, true}}, 0), 2,
                                CPoint(0, 0), &options, false));
  EXPECT_EQ(Outline(withSubitems), "B1");
  EXPECT_EQ(withSubitems.GetName(), "PERSON_ROSTER");
  EXPECT_EQ(withSubitems.GetMaxLoops(), 1);  // no records given: one row
}

TEST_F(FormBuilders, BoxesHoldTheLengthAndTheDecimalPointTheScreenShows) {
  struct Case {
    int len, decimals;
    bool decChar;
    int width;
  };
  const Case cases[] = {
      {5, 0, false, 51},     {5, 2, false, 61},      {5, 2, true, 51},
      {0, 0, false, 11},     {-3, 0, false, 11},     // no length: room for one character
      {32767, 1, false, 327681}, {INT_MAX, 0, false, 327671},  // cut to 32767 characters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.len);
    const CDictRecord* rec = Record({{"X", "X", c.len, 1, false, c.decimals, c.decChar}});
    CDEGroup group;
    ASSERT_TRUE(ff_.CreateGroup(&group, rec, 0, nullptr, 100, nullptr, false, false));
    EXPECT_EQ(FieldAt(group, 0)->GetDims().Width(), c.width);
    EXPECT_EQ(FieldAt(group, 0)->GetDims().Height(), 15);
  }
}

TEST_F(FormBuilders, BoxesUseTheFieldFontAndLabelsTheTextFontMeasuredWithTheMeasurerGiven) {
  // Scaled by the font: 6/11 of the height wide and 13/11 high per character.
  CFixedTextMeasurer scaled;
  ff_.SetDefFldLF(LOGFONT{"Sans Serif", -22, 400, false});  // "9" is 12 x 26
  ff_.SetDefTxtLF(LOGFONT{"Sans Serif", -11, 400, false});  // 6 x 13 per character
  const CDictRecord* rec = Record({{"AGE", "Age", 3, 2}});
  CDEGroup group;
  ASSERT_TRUE(ff_.CreateGroup(&group, rec, 0, &scaled, 100, nullptr, false, false));
  EXPECT_EQ(FieldAt(group, 0)->GetDims().Width(), 3 * 15 - 1 + 2);
  EXPECT_EQ(FieldAt(group, 0)->GetDims().Height(), 28);
  EXPECT_EQ(FieldAt(group, 0)->GetTextDims().Width(), 6 * 7);  // "Age (1)"

  CDERoster2 roster;
  ASSERT_TRUE(ff_.CreateRoster2(&roster, rec->GetItem(0), 0, CPoint(0, 0), &scaled, nullptr, 2, true, nullptr));
  EXPECT_EQ(FieldAt(roster, 0)->GetDims().Height(), 28);
  EXPECT_EQ(FieldAt(roster, 0)->GetTextDims().Width(), 18);

  // The record roster takes no measurer: it uses the installed one (7 x 13 here).
  CDERoster2 installed;
  ASSERT_TRUE(ff_.CreateRoster2(&installed, rec, 0, CPoint(0, 0), nullptr, true));
  EXPECT_EQ(FieldAt(installed, 0)->GetTextDims().Width(), 21);
}

TEST_F(FormBuilders, LabelsAreItemLabelsOrNames) {
  const CDictRecord* rec = Record({{"AGE", "Age", 2}, {"SEX", "", 1}, {"ROOMS", "   ", 2}});
  for (bool names : {false, true}) {
    CDEGroup group;
    ASSERT_TRUE(ff_.CreateGroup(&group, rec, 0, nullptr, 100, nullptr, false, names));
    EXPECT_EQ(FieldAt(group, 0)->GetLabel(), names ? "AGE" : "Age");
    EXPECT_EQ(FieldAt(group, 1)->GetLabel(), "SEX");
    EXPECT_EQ(FieldAt(group, 2)->GetLabel(), "ROOMS");
  }
}

TEST_F(FormBuilders, OccurrenceFieldsNameAndLabelTheirOccurrence) {
  const CDictRecord* rec = Record({{"KIDS", "Kids", 2, 2}});
  CDEGroup group;
  ASSERT_TRUE(ff_.CreateGroup(&group, rec, 0, nullptr, 100, nullptr, false, false));
  ASSERT_EQ(Outline(group), "KIDS(1) KIDS(2)");
  const CDEField* second = FieldAt(group, 1);
  EXPECT_EQ(second->GetOcc(), 2);
  EXPECT_EQ(second->GetItemName(), "KIDS");
  EXPECT_EQ(second->GetLabel(), "Kids (2)");
  EXPECT_EQ(second->GetDETextPtr()->GetName(), "KIDS(2)_TXT");
}

// Which fields and rosters a record gives, and that the group they make never overlaps.
TEST_F(FormBuilders, GroupsOfEveryKindOfRecordNeverOverlapAndStayInside) {
  const std::vector<ItemDef> plain = {{"AGE", "Age", 3}, {"SEX", "Sex", 1}, {"NAME", "Name", 30}};
  const std::vector<ItemDef> longLabels = {
      {"A", "A label far wider than the label column may be", 2},
      {"B", "Short", 4},
      {"C", "Another label that needs a row of its own", 12, 1, false, 3}};
  const std::vector<ItemDef> subitems = {
      {"DATE", "Date", 8}, {"DAY", "Day", 2, 1, true}, {"MONTH", "Month", 2, 1, true},
      {"YEAR", "Year", 4, 1, true}, {"AGE", "Age", 3}};
  const std::vector<ItemDef> repeating = {{"AGE", "Age", 3}, {"KIDS", "Kids", 2, 3}, {"SEX", "Sex", 1}};
  const std::vector<ItemDef> repeatingWithSubitems = {
      {"JOB", "Job", 6, 2}, {"CODE", "Code", 4, 1, true}, {"HOURS", "Hours", 2, 1, true}, {"END", "End", 1}};
  const std::vector<ItemDef> repeatingSubitem = {
      {"PHONES", "Phones", 20}, {"PHONE", "Phone", 10, 2, true}, {"END", "End", 1}};
  const std::vector<ItemDef> orphanSubitem = {{"LOST", "Lost", 2, 1, true}, {"AGE", "Age", 3}};
  struct Case {
    const char* what;
    const std::vector<ItemDef>* items;
    bool rosters, subitems;
    const char* outline;
  };
  const std::vector<ItemDef> none;
  const Case cases[] = {
      {"plain", &plain, false, false, "AGE SEX NAME"},
      {"long labels", &longLabels, false, false, "A B C"},
      {"subitems used", &subitems, false, true, "DAY MONTH YEAR AGE"},
      {"subitems left out", &subitems, false, false, "DATE AGE"},
      {"rosters", &repeating, true, false, "AGE KIDS_ROSTER{KIDS}x3 SEX"},
      {"field per occurrence", &repeating, false, false, "AGE KIDS(1) KIDS(2) KIDS(3) SEX"},
      {"roster of subitems", &repeatingWithSubitems, true, true, "JOB_ROSTER{CODE HOURS}x2 END"},
      {"roster of the item", &repeatingWithSubitems, true, false, "JOB_ROSTER{JOB}x2 END"},
      {"subitems per occurrence", &repeatingWithSubitems, false, true, "CODE(1) HOURS(1) CODE(2) HOURS(2) END"},
      {"repeating subitem roster", &repeatingSubitem, true, true, "PHONE_ROSTER{PHONE}x2 END"},
      {"repeating subitem fields", &repeatingSubitem, false, true, "PHONE(1) PHONE(2) END"},
      {"subitem before any item", &orphanSubitem, false, false, "LOST AGE"},
      {"empty record", &none, true, true, ""},
  };
  for (const Case& c : cases) {
    const CDictRecord* rec = Record(*c.items);
    const CDEDragOptions options = Options(c.rosters, c.subitems);
    for (bool horizontal : {false, true})
      for (bool names : {false, true}) {
        SCOPED_TRACE(std::string(c.what) + (horizontal ? ", horizontal" : ", vertical") + (names ? ", names" : ""));
        CDEGroup group;
        ASSERT_TRUE(ff_.CreateGroup(&group, rec, 1, nullptr, 80, &options, horizontal, names));
        EXPECT_EQ(Outline(group), c.outline);
        ExpectNoOverlapInside(group);
        for (int i = 0; i < group.GetNumItems(); ++i) EXPECT_EQ(group.GetItem(i)->GetFormNum(), 1);
      }
  }
  CDEGroup empty;
  ASSERT_TRUE(ff_.CreateGroup(&empty, Record(none), 1, nullptr, 80, nullptr, false, false));
  EXPECT_EQ(empty.GetDims(), CRect(0, 0, 20, 20));
}

TEST_F(FormBuilders, ASecondRecordGoesBelowWhatTheGroupHolds) {
  CDEGroup group;
  const CDEDragOptions options = Options(true, false);
  ASSERT_TRUE(ff_.CreateGroup(&group, Record({{"AGE", "Age", 3}, {"KIDS", "Kids", 2, 3}}), 1, nullptr, 80, &options,
                              false, false));
  const int bottom = group.GetItem(1)->GetDims().bottom;
  ASSERT_TRUE(ff_.CreateGroup(&group, Record({{"SEX", "Sex", 1}}), 1, nullptr, 80, &options, true, false));
  ASSERT_EQ(Outline(group), "AGE KIDS_ROSTER{KIDS}x3 SEX");
  EXPECT_EQ(FieldAt(group, 2)->GetDims().top, bottom + 6);
  ExpectNoOverlapInside(group);
}

TEST_F(FormBuilders, AbsurdSizesAreCutWithoutOverflowOrHugeAllocations) {
  const CDictRecord* rec = Record({{"MANY", "Many", 32767, 1'000'000'000}, {"NEG", "Negative", -5, -7}});
  const CDEDragOptions rosters = Options(true, false);
  CDEGroup group;
  ASSERT_TRUE(ff_.CreateGroup(&group, rec, 1, nullptr, INT_MAX, &rosters, false, false));
  ASSERT_EQ(Outline(group), "MANY_ROSTER{MANY}x9999 NEG");
  ExpectNoOverlapInside(group);

  // Without rosters an item makes at most 9999 occurrence fields.
  CDEGroup fields;
  ASSERT_TRUE(ff_.CreateGroup(&fields, rec, 1, nullptr, -1, nullptr, false, false));
  EXPECT_EQ(fields.GetNumItems(), 9999 + 1);
  EXPECT_EQ(FieldAt(fields, 9998)->GetOcc(), 9999);

  for (int occurrences : {INT_MAX, 0, -5, INT_MIN}) {
    CDERoster2 roster;
    ASSERT_TRUE(ff_.CreateRoster2(&roster, rec->GetItem(0), 1, CPoint(INT_MAX, INT_MAX), nullptr, nullptr,
                                  occurrences, true, nullptr));
    EXPECT_EQ(roster.GetMaxLoops(), occurrences > 0 ? 9999 : 1);
    EXPECT_GE(roster.GetDims().right, roster.GetDims().left);
    EXPECT_GE(roster.GetDims().bottom, roster.GetDims().top);
  }

  // A measurer that answers the largest sizes there are: every box and label is cut to
  // a million pixels, and a small record still lays out without overlaps.
  struct Huge : ITextMeasurer {
    CSize GetTextExtent(const LOGFONT&, std::string_view) override { return {INT_MAX, INT_MAX}; }
    int GetAscent(const LOGFONT&) override { return INT_MAX; }
  } huge;
  const CDictRecord* small = Record({{"AGE", "Age", 3}, {"KIDS", "Kids", 2, 3}, {"SEX", "Sex", 1}});
  for (bool horizontal : {false, true}) {
    CDEGroup big;
    ASSERT_TRUE(ff_.CreateGroup(&big, small, 1, &huge, 100, &rosters, horizontal, false));
    ASSERT_EQ(Outline(big), "AGE KIDS_ROSTER{KIDS}x3 SEX");
    EXPECT_EQ(FieldAt(big, 0)->GetDims().Width(), 1'000'000);
    EXPECT_EQ(FieldAt(big, 0)->GetTextDims().Height(), 1'000'000);
    ExpectNoOverlapInside(big);
  }
}

TEST_F(FormBuilders, NullArgumentsAndFilledRostersAreRefusedWithNothingAdded) {
  const CDictRecord* rec = Record({{"AGE", "Age", 3}});
  const CDictItem* item = rec->GetItem(0);
  CDEGroup group;
  group.SetDims(1, 2, 3, 4);
  CDERoster2 roster;
  EXPECT_FALSE(ff_.CreateGroup(nullptr, rec, 0, nullptr, 100, nullptr, false, false));
  EXPECT_FALSE(ff_.CreateGroup(&group, nullptr, 0, nullptr, 100, nullptr, false, false));
  EXPECT_FALSE(ff_.CreateRoster2(nullptr, rec, 0, CPoint(), nullptr, true));
  EXPECT_FALSE(ff_.CreateRoster2(&roster, static_cast<const CDictRecord*>(nullptr), 0, CPoint(), nullptr, true));
  EXPECT_FALSE(ff_.CreateRoster2(nullptr, item, 0, CPoint(), nullptr, nullptr, 2, true, nullptr));
  EXPECT_FALSE(ff_.CreateRoster2(&roster, static_cast<const CDictItem*>(nullptr), 0, CPoint(), nullptr, nullptr, 2,
                                 true, nullptr));
  EXPECT_EQ(group.GetNumItems(), 0);
  EXPECT_EQ(group.GetDims(), CRect(1, 2, 3, 4));
  EXPECT_EQ(roster.GetNumItems(), 0);
  EXPECT_TRUE(roster.GetName().empty());

  ASSERT_TRUE(ff_.CreateRoster2(&roster, item, 0, CPoint(), nullptr, nullptr, 2, true, nullptr));
  const CRect built = roster.GetDims();
  EXPECT_FALSE(ff_.CreateRoster2(&roster, item, 0, CPoint(5, 5), nullptr, nullptr, 2, true, nullptr));
  EXPECT_FALSE(ff_.CreateRoster2(&roster, rec, 0, CPoint(5, 5), nullptr, true));
  EXPECT_EQ(roster.GetNumItems(), 1);
  EXPECT_EQ(roster.GetDims(), built);
}

TEST_F(FormBuilders, AnItemRostersDictionaryIsTheOneGivenElseTheItemsOwn) {
  const CDictItem* item = Record({{"AGE", "Age", 3, 2}})->GetItem(0);
  CDataDict other;
  other.SetName("OTHER");
  CDERoster2 given, own;
  ASSERT_TRUE(ff_.CreateRoster2(&given, item, 0, CPoint(), nullptr, nullptr, 2, true, &other));
  ASSERT_TRUE(ff_.CreateRoster2(&own, item, 0, CPoint(), nullptr, nullptr, 2, true, nullptr));
  EXPECT_EQ(FieldAt(given, 0)->GetItemDict(), "OTHER");
  EXPECT_EQ(FieldAt(given, 0)->GetDictItem(), item);
  EXPECT_EQ(FieldAt(own, 0)->GetItemDict(), "SURVEY");

  CDictItem loose;  // in no record or dictionary
  loose.SetName("LOOSE");
  CDERoster2 nowhere;
  ASSERT_TRUE(ff_.CreateRoster2(&nowhere, &loose, 0, CPoint(), nullptr, nullptr, 2, true, nullptr));
  EXPECT_EQ(FieldAt(nowhere, 0)->GetItemDict(), "");
}

TEST_F(FormBuilders, BuiltGroupsSaveAndComeBackEqual) {
  auto* level = new CDELevel;
  ff_.AddLevel(level);
  auto* group = new CDEGroup;
  level->AddGroup(group);
  const CDEDragOptions options = Options(true, true, true);
  ASSERT_TRUE(ff_.CreateGroup(group, Record({{"AGE", "Age", 3}, {"KIDS", "Kids", 2, 3}}), 1, nullptr, 80, &options,
                              false, false));
  std::string text, error;
  ASSERT_TRUE(FmfToText(ff_, text, &error)) << error;
  CDEFormFile read;
  ASSERT_TRUE(FmfFromText(text, read, &error)) << error;
  EXPECT_TRUE(read == ff_);
}

}  // namespace
