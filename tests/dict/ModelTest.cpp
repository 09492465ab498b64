// The dictionary model: deep copies on every add, copy and assignment; back links; the
// item symbol; enum setters that cannot store a value outside their enum.
#include <gtest/gtest.h>

#include <stdexcept>

#include "SampleDict.h"
#include "libs/dict/DataDict.h"

using sample::MakeItem;
using sample::MakeVSet;

namespace {

// Every record and item of the dictionary points back to where it is stored.
void ExpectLinked(CDataDict& dict) {
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    CDictLevel* level = dict.GetLevel(l);
    std::vector<CDictRecord*> records = {level->GetIdItemsRec()};
    for (int r = 0; r < level->GetNumRecords(); ++r) records.push_back(level->GetRecord(r));
    for (CDictRecord* rec : records) {
      EXPECT_EQ(rec->GetLevel(), level);
      EXPECT_EQ(rec->GetDataDict(), &dict);
      for (int i = 0; i < rec->GetNumItems(); ++i) {
        EXPECT_EQ(rec->GetItem(i)->GetRecord(), rec);
        EXPECT_EQ(rec->GetItem(i)->GetDataDict(), &dict);
      }
    }
  }
}

}  // namespace

TEST(DictModel, AddOperationsStoreDeepCopiesTheCallerKeepsItsObjects) {
  CDictItem item = MakeItem("AGE", 10, 2);
  CDictVSet vset = MakeVSet("AGE_VS1", {{"1", "5"}});
  item.AddVSet(&vset);
  CDictRecord rec;
  rec.SetName("PERSON");
  rec.AddItem(&item);
  CDictLevel level;
  level.SetName("QUEST");
  level.AddRecord(&rec);
  CDataDict dict;
  ASSERT_EQ(dict.AddLevel(&level), 0);

  // Changing or destroying the caller's objects leaves the stored copies alone, and the
  // other way round.
  item.SetName("CHANGED");
  vset.GetValue(0)->GetVPair(0)->SetFrom("9");
  rec.GetItem(0)->GetVSet(0)->SetName("CHANGED");
  level.GetRecord(0)->SetName("CHANGED");
  const CDictItem* stored = dict.GetLevel(0)->GetRecord(0)->GetItem(0);
  EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetName(), "PERSON");
  EXPECT_EQ(stored->GetName(), "AGE");
  EXPECT_EQ(stored->GetVSet(0)->GetName(), "AGE_VS1");
  EXPECT_EQ(stored->GetVSet(0)->GetValue(0)->GetVPair(0)->GetFrom(), "1");

  dict.GetLevel(0)->GetRecord(0)->GetItem(0)->SetLabel("stored");
  EXPECT_EQ(rec.GetItem(0)->GetLabel(), "AGE label");
  ExpectLinked(dict);
}

TEST(DictModel, NullPointersAreIgnored) {
  CDataDict dict;
  CDictLevel level;
  CDictRecord rec;
  CDictItem item;
  CDictVSet vset;
  CDictValue value;
  EXPECT_EQ(dict.AddLevel(nullptr), -1);
  EXPECT_EQ(level.AddRecord(nullptr), -1);
  EXPECT_EQ(rec.AddItem(nullptr), -1);
  EXPECT_EQ(rec.InsertItemAt(0, nullptr), -1);
  EXPECT_EQ(item.AddVSet(nullptr), -1);
  EXPECT_EQ(vset.AddValue(nullptr), -1);
  EXPECT_EQ(value.AddVPair(nullptr), -1);
  level.SetIdItemsRec(nullptr);
  ASSERT_NE(level.GetIdItemsRec(), nullptr);
  EXPECT_EQ(level.GetIdItemsRec()->GetNumItems(), 0);
  EXPECT_EQ(dict.GetNumLevels() + level.GetNumRecords() + rec.GetNumItems() + item.GetNumVSets() +
                vset.GetNumValues() + value.GetNumVPairs(),
            0);
}

TEST(DictModel, InsertAndRemoveKeepOrderAndClampIndexes) {
  CDictRecord rec;
  for (const char* name : {"A", "C"}) {
    CDictItem item = MakeItem(name, 1, 1);
    rec.AddItem(&item);
  }
  CDictItem b = MakeItem("B", 1, 1), first = MakeItem("FIRST", 1, 1), last = MakeItem("LAST", 1, 1);
  EXPECT_EQ(rec.InsertItemAt(1, &b), 1);
  EXPECT_EQ(rec.InsertItemAt(-3, &first), 0);
  EXPECT_EQ(rec.InsertItemAt(99, &last), 4);
  rec.RemoveItemAt(99);  // out of range: nothing happens
  rec.RemoveItemAt(-1);
  std::string order;
  for (int i = 0; i < rec.GetNumItems(); ++i) order += rec.GetItem(i)->GetName() + " ";
  EXPECT_EQ(order, "FIRST A B C LAST ");
  EXPECT_EQ(rec.GetItem(2)->GetRecord(), &rec);
  rec.RemoveItemAt(0);
  EXPECT_EQ(rec.GetItem(0)->GetName(), "A");
}

TEST(DictModel, ItemCopyIsDeepAndKeepsSymbolAndLinks) {
  CDictRecord rec;
  CDictItem item = MakeItem("X", 4, 3);
  item.SetSymbol(4711);
  CDictVSet vset = MakeVSet("X_VS1", {{"1", ""}});
  item.AddVSet(&vset);
  rec.AddItem(&item);
  const CDictItem& stored = *rec.GetItem(0);
  EXPECT_EQ(stored.GetSymbol(), 4711);  // through AddItem

  CDictItem copy(stored);
  EXPECT_EQ(copy, stored);
  EXPECT_EQ(copy.GetSymbol(), 4711);
  EXPECT_EQ(copy.GetRecord(), &rec);
  copy.GetVSet(0)->GetValue(0)->SetLabel("changed");
  copy.RemoveAllVSets();
  EXPECT_EQ(stored.GetVSet(0)->GetValue(0)->GetLabel(), "value 1");

  // Assignment copies the contents but the target stays where it is.
  CDictRecord other;
  other.AddItem(&item);
  CDictItem* target = other.GetItem(0);
  CDictItem source = MakeItem("Y", 9, 9);
  source.SetSymbol(12);
  *target = source;
  EXPECT_EQ(target->GetName(), "Y");
  EXPECT_EQ(target->GetSymbol(), 12);
  EXPECT_EQ(target->GetRecord(), &other);
  EXPECT_EQ(target->GetNumVSets(), 0);
}

TEST(DictModel, RecordAssignmentCopiesDeeplyAndItemsPointToTheCopy) {
  CDataDict dict;
  CDictLevel level;
  CDictRecord rec;
  rec.SetName("HOUSE");
  rec.SetRecLen(80);
  for (int i = 0; i < 3; ++i) {
    CDictItem item = MakeItem("I" + std::to_string(i), i + 1, 1);
    item.SetSymbol(100 + i);
    rec.AddItem(&item);
  }
  level.AddRecord(&rec);
  dict.AddLevel(&level);
  const CDictRecord& stored = *dict.GetLevel(0)->GetRecord(0);

  auto copy = std::make_unique<CDictRecord>();
  *copy = stored;
  EXPECT_EQ(*copy, stored);
  EXPECT_EQ(copy->GetDataDict(), nullptr);  // assignment keeps the target's own links
  copy->SetDataDict(stored.GetDataDict());
  for (int i = 0; i < copy->GetNumItems(); ++i) {
    EXPECT_NE(copy->GetItem(i), stored.GetItem(i));
    EXPECT_EQ(copy->GetItem(i)->GetRecord(), copy.get());
    EXPECT_EQ(copy->GetItem(i)->GetDataDict(), &dict);
    EXPECT_EQ(copy->GetItem(i)->GetSymbol(), 100 + i);
  }
  copy->RemoveItemAt(0);
  EXPECT_EQ(stored.GetNumItems(), 3);

  CDictRecord constructed(stored);  // copy construction keeps the source's place
  EXPECT_EQ(constructed.GetLevel(), dict.GetLevel(0));
  EXPECT_EQ(constructed.GetItem(0)->GetRecord(), &constructed);

  *copy = *copy;  // self-assignment is harmless
  EXPECT_EQ(copy->GetNumItems(), 2);
}

TEST(DictModel, DictionaryAndLevelCopiesRelinkEverything) {
  CDataDict dict = sample::MakeRichDict();
  ExpectLinked(dict);
  CDataDict copy(dict);
  EXPECT_EQ(copy, dict);
  ExpectLinked(copy);
  CDataDict assigned;
  assigned = dict;
  EXPECT_EQ(assigned, dict);
  ExpectLinked(assigned);

  assigned.GetLevel(1)->GetRecord(1)->GetItem(0)->GetVSet(1)->GetValue(3)->GetVPair(0)->SetTo("x");
  EXPECT_FALSE(assigned == dict);
  EXPECT_EQ(dict.GetNumRecs(), 4);
}

TEST(DictModel, EqualityLooksAtEveryStoredField) {
  const CDataDict base = sample::MakeRichDict();
  using Edit = void (*)(CDataDict&);
  const Edit edits[] = {
      [](CDataDict& d) { d.SetDecChar(false); },
      [](CDataDict& d) { d.GetLevel(1)->SetNote("n"); },
      [](CDataDict& d) { d.GetLevel(0)->GetIdItemsRec()->SetMaxRecs(0); },
      [](CDataDict& d) { d.GetLevel(0)->GetRecord(1)->SetRecTypeVal("zz"); },
      [](CDataDict& d) { d.GetLevel(0)->GetRecord(0)->GetItem(1)->SetZeroFill(false); },
      [](CDataDict& d) { d.GetLevel(0)->GetRecord(0)->GetItem(2)->SetItemType(Item); },
      [](CDataDict& d) { d.GetLevel(0)->GetRecord(0)->GetItem(2)->GetVSet(1)->SetNote("n"); },
      [](CDataDict& d) { d.GetLevel(0)->GetRecord(0)->GetItem(2)->GetVSet(1)->GetValue(4)->SetSpecial(false); },
      [](CDataDict& d) { d.GetLevel(0)->GetRecord(0)->GetItem(2)->GetVSet(1)->GetValue(4)->RemoveVPairAt(3); },
  };
  for (size_t i = 0; i < std::size(edits); ++i) {
    CDataDict changed = base;
    edits[i](changed);
    EXPECT_FALSE(changed == base) << "edit " << i;
  }
  CDataDict symbolOnly = base;
  symbolOnly.GetLevel(0)->GetRecord(0)->GetItem(0)->SetSymbol(99);  // a run-time handle
  EXPECT_EQ(symbolOnly, base);
}

TEST(DictModel, IntegerSettersMapUnknownNumbersIntoTheEnums) {
  CDictItem item;
  item.SetDataType(7);
  EXPECT_EQ(item.GetDataType(), AlphaType);
  item.SetDataType(0);
  EXPECT_EQ(item.GetDataType(), NumericType);
  item.SetItemType(-1);
  EXPECT_EQ(item.GetItemType(), SubItem);
  CDictValue value;
  value.SetValueType(3);
  EXPECT_EQ(value.GetValueType(), DefaultType);
  value.SetValueType(4);
  EXPECT_EQ(value.GetValueType(), NoneType);
}

TEST(DictModel, ValuePairsKeepTheirOrderThroughAddsAndRemovals) {
  CDictValue value;
  EXPECT_THROW(value.GetVPair(0), std::out_of_range);
  for (const char* from : {"1", "2", "3"}) {
    CDictVPair pair(from, "");
    value.AddVPair(&pair);
  }
  EXPECT_EQ(value.AddVPair(value.GetVPair(2)), 3);  // a pair of the value itself
  auto froms = [&] {
    std::string all;
    for (int i = 0; i < value.GetNumVPairs(); ++i) all += value.GetVPair(i)->GetFrom();
    return all;
  };
  EXPECT_EQ(froms(), "1233");
  EXPECT_THROW(value.GetVPair(4), std::out_of_range);
  value.RemoveVPairAt(0);
  EXPECT_EQ(froms(), "233");
  value.RemoveVPairAt(1);
  EXPECT_EQ(froms(), "23");
  value.GetVPair(0)->SetTo("9");
  value.RemoveVPairAt(0);
  value.RemoveVPairAt(0);
  value.RemoveVPairAt(0);  // nothing left: no effect
  EXPECT_EQ(value.GetNumVPairs(), 0);
  EXPECT_EQ(value, CDictValue());
}
