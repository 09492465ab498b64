#pragma once
// A synthetic dictionary for the benchmarks: one level, records of itemsPerRecord items,
// every item with a value set of five values (one of them special), every tenth with a note.
#include <string>

#include "libs/dict/DataDict.h"

inline CDataDict MakeSynthetic(int items, int itemsPerRecord = 100) {
  CDataDict dict;
  dict.SetName("SYNTHETIC");
  dict.SetLabel("Synthetic survey dictionary");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(2);
  dict.SetZeroFill(true);
  CDictLevel level;
  level.SetName("QUEST");
  level.SetLabel("Questionnaire");
  for (int first = 0; first < items; first += itemsPerRecord) {
    CDictRecord rec;
    const std::string recNo = std::to_string(first / itemsPerRecord);
    rec.SetName("REC" + recNo);
    rec.SetLabel("Record " + recNo + " of the synthetic survey");
    rec.SetRecTypeVal(recNo.substr(0, 2));
    rec.SetMaxRecs(first % 3 + 1);
    int column = 3;
    for (int i = first; i < first + itemsPerRecord && i < items; ++i) {
      const std::string name = "V" + std::to_string(100000 + i);
      CDictItem item;
      item.SetName(name);
      item.SetLabel("Question " + std::to_string(i) + " of the synthetic survey");
      if (i % 10 == 0) item.SetNote("Asked of every member aged 15 and over.\r\nSee the manual.");
      item.SetStart(column);
      item.SetLen(1 + i % 3);
      item.SetZeroFill(true);
      column += item.GetLen();
      CDictVSet vset;
      vset.SetName(name + "_VS1");
      vset.SetLabel(item.GetLabel());
      const char* labels[] = {"Yes", "No", "Sometimes", "Don't know", "Refused"};
      const char* froms[] = {"1", "2", "3", "8", "9"};
      for (int v = 0; v < 5; ++v) {
        CDictValue value;
        value.SetLabel(labels[v]);
        CDictVPair pair(froms[v], v == 2 ? "7" : "");
        value.AddVPair(&pair);
        if (v == 4) {
          value.SetName("MISSING");
          value.SetValueType(MissingType);
          value.SetSpecial(true);
        }
        vset.AddValue(&value);
      }
      item.AddVSet(&vset);
      rec.AddItem(&item);
    }
    rec.SetRecLen(column - 1);
    level.AddRecord(&rec);
  }
  dict.AddLevel(&level);
  return dict;
}
