#pragma once
// The name list behind CDataDict: upper-cased name -> every place that holds it. Internal
// to the dictionary library.
#include <string>
#include <unordered_map>
#include <vector>

#include "libs/dict/DataDict.h"

struct CDataDict::NameIndex {
  enum Kind : int { None, Dictionary, Level, Record, Item, VSet };
  // Where a name stands; record -1 is the level's id-items record.
  struct Place {
    Kind kind = None;
    int level = -1, record = -1, item = -1, vset = -1;
    bool operator==(const Place&) const = default;
  };
  // The places of one name. Most names have one, so the first is kept inline.
  struct Entry {
    Place first;
    std::vector<Place> more;
  };
  using Map = std::unordered_map<std::string, Entry>;

  Map map;
  // Keys indexed per slot, so that one record can be re-indexed without a full walk:
  // slots[level][0] holds the level's name and its id items, slots[level][r + 1] record r.
  // The pointers point at the keys inside map's nodes, which do not move.
  std::vector<std::vector<std::vector<const std::string*>>> slots;
  std::string dictionaryKey;

  static std::string KeyOf(const std::string& name);
  static Place PlaceOf(int level, int record, int item, int vset);

  void Build(const CDataDict& dict);
  // Re-indexes one slot of a level from the dictionary as it stands now.
  void RebuildSlot(const CDataDict& dict, int level, int slot);
  void RefreshDictionaryName(const CDataDict& dict);
  bool Matches(const CDataDict& dict) const;  // the indexed shape is still the dictionary's

  const Entry* Find(const std::string& name) const;

 private:
  void Add(const std::string& name, const Place& place, std::vector<const std::string*>* slotKeys);
  void Remove(const std::string& key, int level, int slot);
  void IndexSlot(const CDataDict& dict, int level, int slot);
};
