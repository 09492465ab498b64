// The name list: lookups of items and value sets, uniqueness with an excepted place,
// unique names, and re-indexing one record after it changed.
#include <gtest/gtest.h>

#include <chrono>

#include "SampleDict.h"
#include "libs/dict/DataDict.h"

using sample::MakeItem;
using sample::MakeVSet;

namespace {

// QUEST: id items HH_ID; records HOUSE (ROOMS with ROOMS_VS1, WALLS) and PERSON (AGE with
// AGE_VS1 and AGE_VS2, SEX).
CDataDict MakeSurvey() {
  CDataDict dict;
  dict.SetName("SURVEY");
  CDictLevel level;
  level.SetName("QUEST");
  CDictRecord id;
  CDictItem hh = MakeItem("HH_ID", 1, 5);
  id.AddItem(&hh);
  level.SetIdItemsRec(&id);

  CDictRecord house;
  house.SetName("HOUSE");
  CDictItem rooms = MakeItem("ROOMS", 6, 2);
  CDictVSet roomsVs = MakeVSet("ROOMS_VS1", {{"1", "20"}});
  rooms.AddVSet(&roomsVs);
  CDictItem walls = MakeItem("WALLS", 8, 1);
  house.AddItem(&rooms);
  house.AddItem(&walls);
  level.AddRecord(&house);

  CDictRecord person;
  person.SetName("PERSON");
  CDictItem age = MakeItem("AGE", 6, 3);
  CDictVSet ageVs1 = MakeVSet("AGE_VS1", {{"0", "120"}});
  CDictVSet ageVs2 = MakeVSet("AGE_VS2", {{"0", "17"}, {"18", "120"}});
  age.AddVSet(&ageVs1);
  age.AddVSet(&ageVs2);
  CDictItem sex = MakeItem("SEX", 9, 1);
  person.AddItem(&age);
  person.AddItem(&sex);
  level.AddRecord(&person);
  dict.AddLevel(&level);
  dict.BuildNameList();
  return dict;
}

struct Found {
  const CDictItem* item;
  int level, record, index, vset;
};

Found Lookup(const CDataDict& dict, const char* name) {
  Found f{};
  f.item = dict.LookupName(name, &f.level, &f.record, &f.index, &f.vset);
  return f;
}

}  // namespace

TEST(NameList, LookupFindsItemsAndValueSetsIgnoringCase) {
  const CDataDict dict = MakeSurvey();
  struct Case {
    const char* name;
    const char* item;
    int level, record, index, vset;
  } cases[] = {
      {"AGE", "AGE", 0, 1, 0, -1},      {"age", "AGE", 0, 1, 0, -1},   {"AGE_VS2", "AGE", 0, 1, 0, 1},
      {"hh_id", "HH_ID", 0, -1, 0, -1}, {"WALLS", "WALLS", 0, 0, 1, -1}, {"rooms_vs1", "ROOMS", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Found f = Lookup(dict, c.name);
    ASSERT_NE(f.item, nullptr) << c.name;
    EXPECT_EQ(f.item->GetName(), c.item) << c.name;
    EXPECT_EQ(f.level, c.level) << c.name;
    EXPECT_EQ(f.record, c.record) << c.name;
    EXPECT_EQ(f.index, c.index) << c.name;
    EXPECT_EQ(f.vset, c.vset) << c.name;
  }
  // Names that are not items: nothing, and the indexes say so.
  for (const char* name : {"PERSON", "QUEST", "SURVEY", "NOSUCH", ""}) {
    Found f = Lookup(dict, name);
    EXPECT_EQ(f.item, nullptr) << name;
    EXPECT_EQ(f.level, -1) << name;
  }
  EXPECT_EQ(dict.LookupName("SEX"), dict.GetLevel(0)->GetRecord(1)->GetItem(1));
}

TEST(NameList, UniquenessExceptsOnlyThePlaceGiven) {
  const CDataDict dict = MakeSurvey();
  EXPECT_TRUE(dict.IsNameUnique("INCOME"));
  for (const char* used : {"SURVEY", "quest", "House", "AGE", "AGE_VS1", "HH_ID"})
    EXPECT_FALSE(dict.IsNameUnique(used)) << used;
  EXPECT_TRUE(dict.IsNameUnique("AGE", 0, 1, 0));          // the item's own place
  EXPECT_FALSE(dict.IsNameUnique("AGE", 0, 1, 1));         // another item's place
  EXPECT_TRUE(dict.IsNameUnique("AGE_VS2", 0, 1, 0, 1));   // a value set's own place
  EXPECT_FALSE(dict.IsNameUnique("AGE_VS2", 0, 1, 0));     // not the item's
  EXPECT_TRUE(dict.IsNameUnique("HH_ID", 0, -1, 0));       // an id item
  EXPECT_TRUE(dict.IsNameUnique("PERSON", 0, 1));          // a record
  EXPECT_TRUE(dict.IsNameUnique("QUEST", 0));              // a level
  EXPECT_FALSE(dict.IsNameUnique("QUEST", 0, 0));

  CDDRuleMgr rules;
  EXPECT_TRUE(rules.IsNameUnique("AGE"));  // no current dictionary: nothing is taken
  rules.SetCurrDict(const_cast<CDataDict*>(&dict));
  EXPECT_FALSE(rules.IsNameUnique("AGE"));
  EXPECT_EQ(rules.GetUniqueName("AGE"), "AGE1");
}

TEST(NameList, UniqueNamesAreValidFreeAndFitTheLength) {
  CDataDict dict = MakeSurvey();
  EXPECT_EQ(dict.GetUniqueName("INCOME"), "INCOME");
  EXPECT_EQ(dict.GetUniqueName("age"), "AGE1");
  EXPECT_EQ(dict.GetUniqueName("Age group-2"), "AGE_GROUP_2");
  EXPECT_EQ(dict.GetUniqueName("AGE", 0, 1, 0), "AGE");  // free for its own place

  // Fill AGE1..AGE9 so that the suffix needs two digits; cut long names to fit.
  CDictRecord* person = dict.GetLevel(0)->GetRecord(1);
  for (int n = 1; n <= 9; ++n) {
    CDictItem item = MakeItem("AGE" + std::to_string(n), 20 + n, 1);
    person->AddItem(&item);
  }
  const std::string longName(32, 'L');
  CDictItem longItem = MakeItem(longName, 40, 1);
  person->AddItem(&longItem);
  dict.UpdateNameList(0, 1);
  EXPECT_EQ(dict.GetUniqueName("AGE"), "AGE10");
  CVornString cut = dict.GetUniqueName(longName);
  EXPECT_EQ(cut, std::string(31, 'L') + "1");
  EXPECT_TRUE(dict.IsNameUnique(cut));
}

TEST(NameList, UpdateAfterInsertingSubitemCopies) {
  // What the export to the old binary format does: copy an item as a subitem, insert it
  // after the item, and re-index that record only.
  CDataDict dict = MakeSurvey();
  CDictRecord* person = dict.GetLevel(0)->GetRecord(1);
  CDictItem copy(*person->GetItem(0));
  copy.SetItemType(SubItem);
  copy.SetName(dict.GetUniqueName("AGE_VS2"));
  EXPECT_EQ(copy.GetName(), "AGE_VS21");
  CDictVSet second = *copy.GetVSet(1);
  copy.RemoveAllVSets();
  copy.AddVSet(&second);
  person->GetItem(0)->RemoveVSetAt(1);
  person->InsertItemAt(1, &copy);
  dict.UpdateNameList(0, 1);

  Found sex = Lookup(dict, "SEX");
  EXPECT_EQ(sex.index, 2);  // moved by the insert
  Found added = Lookup(dict, "AGE_VS21");
  EXPECT_EQ(added.index, 1);
  EXPECT_EQ(added.vset, -1);
  Found moved = Lookup(dict, "AGE_VS2");  // now the copy's value set
  EXPECT_EQ(moved.index, 1);
  EXPECT_EQ(moved.vset, 0);
  EXPECT_EQ(Lookup(dict, "ROOMS").record, 0);  // other records untouched

  // Renamed and removed items: after the update the old names are free.
  person->GetItem(2)->SetName("GENDER");
  person->RemoveItemAt(1);
  dict.UpdateNameList(0, 1);
  EXPECT_TRUE(dict.IsNameUnique("SEX"));
  EXPECT_TRUE(dict.IsNameUnique("AGE_VS21"));
  EXPECT_EQ(Lookup(dict, "GENDER").index, 1);

  // Id items (record -2), a whole level (record -1) and everything (level -1).
  dict.GetLevel(0)->GetIdItemsRec()->GetItem(0)->SetName("HH");
  dict.UpdateNameList(0, -2);
  EXPECT_EQ(Lookup(dict, "HH").record, -1);
  dict.GetLevel(0)->SetName("LEVEL1");
  dict.UpdateNameList(0, -1);
  EXPECT_FALSE(dict.IsNameUnique("LEVEL1"));
  dict.SetName("RENAMED");
  CDictRecord extra;
  extra.SetName("EXTRA");
  dict.GetLevel(0)->AddRecord(&extra);
  dict.UpdateNameList(0, 1);  // the level changed shape: the whole list is rebuilt
  EXPECT_TRUE(dict.IsNameUnique("SURVEY"));
  EXPECT_FALSE(dict.IsNameUnique("EXTRA"));
}

TEST(NameList, DuplicateNamesAreAllIndexed) {
  CDataDict dict = MakeSurvey();
  CDictItem twin = MakeItem("AGE", 30, 1);
  dict.GetLevel(0)->GetRecord(0)->AddItem(&twin);
  dict.UpdateNameList(0, 0);
  EXPECT_EQ(Lookup(dict, "AGE").record, 0);  // the first in dictionary order
  EXPECT_FALSE(dict.IsNameUnique("AGE", 0, 1, 0));
  dict.GetLevel(0)->GetRecord(0)->RemoveItemAt(2);
  dict.UpdateNameList(0, 0);
  EXPECT_EQ(Lookup(dict, "AGE").record, 1);
  EXPECT_TRUE(dict.IsNameUnique("AGE", 0, 1, 0));
}

TEST(NameList, QueriesBuildTheListWhenNoneWasBuilt) {
  CDataDict dict;
  std::string error;
  ASSERT_TRUE(DcfFromText(DcfToText(MakeSurvey()), dict, &error)) << error;
  EXPECT_NE(dict.LookupName("AGE_VS1"), nullptr);
  CDataDict copy;
  copy = dict;
  EXPECT_FALSE(copy.IsNameUnique("WALLS"));
}

TEST(NameList, ReindexingOneRecordDoesNotWalkTheDictionary) {
  // 60,000 items elsewhere; 3,000 inserts and removals in a small record, each followed
  // by an update of that record. A full re-index per update would take tens of seconds.
  CDataDict dict = MakeSurvey();
  CDictRecord big;
  big.SetName("BIG");
  for (int i = 0; i < 60000; ++i) {
    CDictItem item = MakeItem("B" + std::to_string(i), 1, 1);
    big.AddItem(&item);
  }
  dict.GetLevel(0)->AddRecord(&big);
  dict.BuildNameList();
  const auto start = std::chrono::steady_clock::now();
  CDictRecord* house = dict.GetLevel(0)->GetRecord(0);
  for (int i = 0; i < 3000; ++i) {
    CDictItem item = MakeItem("R" + std::to_string(i), 6, 2);
    house->InsertItemAt(1, &item);
    dict.UpdateNameList(0, 0);
    ASSERT_EQ(Lookup(dict, item.GetName().c_str()).index, 1);
    house->RemoveItemAt(1);
    dict.UpdateNameList(0, 0);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(dict.IsNameUnique("R2999"));
  EXPECT_EQ(Lookup(dict, "WALLS").index, 1);
  EXPECT_EQ(Lookup(dict, "B59999").index, 59999);
  EXPECT_LT(seconds, 5.0);
}
