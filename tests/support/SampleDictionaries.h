#pragma once
// The small survey dictionaries the command-line tests convert, inspect and compare.
#include <string>
#include <vector>

#include "libs/dict/DataDict.h"

namespace samples {

// An ORVA 4.1 dictionary: record PERSON with item AGE (columns 1-2), one value set.
inline const char kOrva41Survey[] =
    "[Dictionary]\nVersion=ORVA 4.1\nLabel=Survey\n[Record]\nName=PERSON\n"
    "[Item]\nName=AGE\nStart=1\nLen=2\n[ValueSet]\nValue=0:95;Years\n";

// A value: the range from..to (a single value when to is empty).
inline CDictValue Value(const std::string& label, const std::string& from, const std::string& to = "") {
  CDictValue value;
  value.SetLabel(label);
  CDictVPair pair(from, to);
  value.AddVPair(&pair);
  return value;
}

// The special value MISSING with the code given.
inline CDictValue MissingValue(const std::string& label, const std::string& code) {
  CDictValue value;
  value.SetLabel(label);
  value.SetName("MISSING");
  value.SetSpecial(true);
  value.SetValueType(MissingType);
  CDictVPair pair(code, "");
  value.AddVPair(&pair);
  return value;
}

inline CDictVSet ValueSet(const std::string& name, const std::string& label, const std::vector<CDictValue>& values) {
  CDictVSet vset;
  vset.SetName(name);
  if (!label.empty()) vset.SetLabel(label);
  for (const CDictValue& value : values) vset.AddValue(&value);
  return vset;
}

inline CDictItem Item(const std::string& name, const std::string& label, int start, int len) {
  CDictItem item;
  item.SetName(name);
  if (!label.empty()) item.SetLabel(label);
  item.SetStart(start);
  item.SetLen(len);
  return item;
}

inline CDictItem Item(const std::string& name, const std::string& label, int start, int len, const CDictVSet& vset) {
  CDictItem item = Item(name, label, start, len);
  item.AddVSet(&vset);
  return item;
}

enum class Labels { Given, None };

// The dictionary SURVEY, its record type in column 1: one level QUEST whose id item is
// HH_ID (columns 2-5) and the record PERSON of type "2", personLength long, with the items
// given. Labels::Given labels the dictionary "Survey" and the level, id item and record
// ("Questionnaire", "Household id", "Person") and lets PERSON repeat 30 times; Labels::None
// leaves the labels and the repetitions at their defaults.
inline CDataDict Survey(const std::vector<CDictItem>& personItems, int personLength, Labels labels = Labels::Given) {
  const bool labelled = labels == Labels::Given;
  CDataDict dict;
  dict.SetName("SURVEY");
  if (labelled) dict.SetLabel("Survey");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(1);
  CDictLevel level;
  level.SetName("QUEST");
  if (labelled) level.SetLabel("Questionnaire");
  dict.AddLevel(&level);
  CDictItem id = Item("HH_ID", labelled ? "Household id" : "", 2, 4);
  CDictRecord idItems;
  idItems.AddItem(&id);
  dict.GetLevel(0)->SetIdItemsRec(&idItems);
  CDictRecord person;
  person.SetName("PERSON");
  if (labelled) person.SetLabel("Person");
  person.SetRecTypeVal("2");
  if (labelled) person.SetMaxRecs(30);
  person.SetRecLen(personLength);
  for (const CDictItem& item : personItems) person.AddItem(&item);
  dict.GetLevel(0)->AddRecord(&person);
  return dict;
}

inline CDictValue Special(const std::string& label, const std::string& code, VALUE_TYPE type) {
  CDictValue value = MissingValue(label, code);
  value.SetValueType(type);
  return value;
}

inline CDictItem WithType(CDictItem item, DATA_TYPE type, int decimals = 0, bool decimalWritten = false) {
  item.SetDataType(type);
  item.SetDecimal(decimals);
  item.SetDecChar(decimalWritten);
  return item;
}

// Two levels: households (id HH in 2-4) with record HOUSE (type 1), and persons (id PNUM
// in 5-6) with record PERSON (type 2). Every value rule has an item in HOUSE:
//   ROOMS  5-6   99 MISSING, 98 NOTAPPL, 97 DEFAULT, blank NOTAPPL, 1-20 a labelled range
//   RENT   7-12  2 decimals implied
//   AREA   13-17 1 decimal, the point written in the field
//   NAME   18-25 alpha
//   ASSET  26    occurs 3
//   DATE   29-36 with the subitem YEAR (29-32)
inline CDataDict TwoLevelSurvey() {
  CDataDict dict;
  dict.SetName("HHS");
  dict.SetLabel("Household survey");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(1);
  CDictLevel households;
  households.SetName("HHLEVEL");
  dict.AddLevel(&households);
  CDictRecord hhIds;
  const CDictItem hh = Item("HH", "Household", 2, 3);
  hhIds.AddItem(&hh);
  dict.GetLevel(0)->SetIdItemsRec(&hhIds);

  CDictRecord house;
  house.SetName("HOUSE");
  house.SetLabel("Housing");
  house.SetRecTypeVal("1");
  const CDictVSet rooms = ValueSet("ROOMS_VS1", "Rooms",
                                   {Value("Number of rooms", "1", "20"), MissingValue("Not stated", "99"),
                                    Special("No dwelling", "98", NotAppType), Special("Not asked", "  ", NotAppType),
                                    Special("Unreadable", "97", DefaultType)});
  CDictItem asset = Item("ASSET", "Asset", 26, 1);
  asset.SetOccurs(3);
  CDictItem year = Item("YEAR", "Year built", 29, 4);
  year.SetItemType(SubItem);
  for (const CDictItem& item :
       {Item("ROOMS", "Rooms", 5, 2, rooms), WithType(Item("RENT", "Rent", 7, 6), NumericType, 2),
        WithType(Item("AREA", "Area", 13, 5), NumericType, 1, true), WithType(Item("NAME", "Name", 18, 8), AlphaType),
        asset, Item("DATE", "Date built", 29, 8), year}) {
    house.AddItem(&item);
  }
  dict.GetLevel(0)->AddRecord(&house);

  CDictLevel persons;
  persons.SetName("PLEVEL");
  dict.AddLevel(&persons);
  CDictRecord personIds;
  const CDictItem line = Item("PNUM", "Person number", 5, 2);
  personIds.AddItem(&line);
  dict.GetLevel(1)->SetIdItemsRec(&personIds);
  CDictRecord person;
  person.SetName("PERSON");
  person.SetRecTypeVal("2");
  const CDictItem age = Item("AGE", "Age", 7, 2);
  person.AddItem(&age);
  dict.GetLevel(1)->AddRecord(&person);
  return dict;
}

}  // namespace samples
