#pragma once
// What a Travo dictionary holds, as the command-line tool's summary counts it.
#include "libs/dict/DataDict.h"

// Levels, records, items (those of the id items records too) and value sets (of every item).
struct DictionaryCounts {
  int levels = 0, records = 0, items = 0, valueSets = 0;
  bool operator==(const DictionaryCounts&) const = default;
};

inline DictionaryCounts CountDictionary(const CDataDict& dict) {
  DictionaryCounts counts;
  auto countItems = [&counts](const CDictRecord* record) {
    if (!record) return;
    counts.items += record->GetNumItems();
    for (int i = 0; i < record->GetNumItems(); ++i) counts.valueSets += record->GetItem(i)->GetNumVSets();
  };
  counts.levels = dict.GetNumLevels();
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    const CDictLevel* level = dict.GetLevel(l);
    countItems(level->GetIdItemsRec());
    counts.records += level->GetNumRecords();
    for (int r = 0; r < level->GetNumRecords(); ++r) countItems(level->GetRecord(r));
  }
  return counts;
}
