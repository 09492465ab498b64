// The dictionary's name list: a hash index from upper-cased names to their places, with
// per-record re-indexing so that editing one record never costs a walk of the dictionary.
#include <algorithm>
#include <string>
#include <tuple>
#include <utility>

#include "libs/dict/DataDict.h"
#include "libs/dict/NameIndex.h"

namespace {

constexpr int kMaxNameLength = 32;  // what CVornString::MakeName produces at most

using Index = CDataDict::NameIndex;

const CDictRecord* RecordAt(const CDictLevel& level, int record) {
  return record < 0 ? level.GetIdItemsRec() : level.GetRecord(record);
}

int SlotOf(const Index::Place& place) { return place.kind == Index::Level ? 0 : place.record + 1; }

// Visits every place of the entry (first, then the others).
template <typename F>
void ForEachPlace(const Index::Entry& entry, F&& f) {
  f(entry.first);
  for (const auto& place : entry.more) f(place);
}

// True when the place still lies inside the dictionary (a stale list may point past it).
bool Exists(const CDataDict& dict, const Index::Place& p) {
  if (p.level < 0 || p.level >= dict.GetNumLevels()) return false;
  const CDictLevel& level = *dict.GetLevel(p.level);
  if (p.record >= level.GetNumRecords()) return false;
  const CDictRecord& rec = *RecordAt(level, p.record);
  if (p.item < 0 || p.item >= rec.GetNumItems()) return false;
  return p.vset < rec.GetItem(p.item)->GetNumVSets();
}

bool ComesBefore(const Index::Place& a, const Index::Place& b) {
  return std::tie(a.level, a.record, a.item, a.vset) < std::tie(b.level, b.record, b.item, b.vset);
}

}  // namespace

// ---- NameIndex ----

std::string Index::KeyOf(const std::string& name) {
  std::string key = name;
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

Index::Place Index::PlaceOf(int level, int record, int item, int vset) {
  if (level < 0) return {};
  if (item < 0) {
    if (vset >= 0) return {};
    if (record == -1) return {Level, level};
    return record >= 0 ? Place{Record, level, record} : Place{};
  }
  if (record < -1) return {};
  return vset < 0 ? Place{Item, level, record, item} : Place{VSet, level, record, item, vset};
}

void Index::Add(const std::string& name, const Place& place, std::vector<const std::string*>* slotKeys) {
  if (name.empty()) return;
  auto [it, inserted] = map.try_emplace(KeyOf(name));
  if (inserted)
    it->second.first = place;
  else
    it->second.more.push_back(place);
  if (slotKeys) slotKeys->push_back(&it->first);
}

void Index::Remove(const std::string& key, int level, int slot) {
  auto it = map.find(key);
  if (it == map.end()) return;
  std::vector<Place> kept;
  ForEachPlace(it->second, [&](const Place& p) {
    bool inSlot = p.kind != Dictionary && p.level == level && SlotOf(p) == slot;
    if (!inSlot) kept.push_back(p);
  });
  if (kept.empty()) {
    map.erase(it);
    return;
  }
  it->second.first = kept.front();
  it->second.more.assign(kept.begin() + 1, kept.end());
}

void Index::IndexSlot(const CDataDict& dict, int level, int slot) {
  const CDictLevel& lev = *dict.GetLevel(level);
  auto& keys = slots[level][slot];
  const int record = slot - 1;
  const CDictRecord& rec = *RecordAt(lev, record);
  if (record < 0)
    Add(lev.GetName(), {Level, level}, &keys);
  else
    Add(rec.GetName(), {Record, level, record}, &keys);
  for (int i = 0; i < rec.GetNumItems(); ++i) {
    const CDictItem& item = *rec.GetItem(i);
    Add(item.GetName(), {Item, level, record, i}, &keys);
    for (int v = 0; v < item.GetNumVSets(); ++v) Add(item.GetVSet(v)->GetName(), {VSet, level, record, i, v}, &keys);
  }
}

void Index::Build(const CDataDict& dict) {
  map.clear();
  slots.assign(dict.GetNumLevels(), {});
  size_t names = 1;
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    const CDictLevel& lev = *dict.GetLevel(l);
    for (int r = -1; r < lev.GetNumRecords(); ++r) {
      const CDictRecord& rec = *RecordAt(lev, r);
      names += 1 + rec.GetNumItems();
      for (int i = 0; i < rec.GetNumItems(); ++i) names += rec.GetItem(i)->GetNumVSets();
    }
  }
  map.reserve(names);
  dictionaryKey.clear();
  RefreshDictionaryName(dict);
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    slots[l].resize(dict.GetLevel(l)->GetNumRecords() + 1);
    for (int s = 0; s < static_cast<int>(slots[l].size()); ++s) IndexSlot(dict, l, s);
  }
}

void Index::RebuildSlot(const CDataDict& dict, int level, int slot) {
  auto& keys = slots[level][slot];
  std::vector<std::string> old;  // copies: removing may free the nodes the pointers name
  old.reserve(keys.size());
  for (const std::string* key : keys) old.push_back(*key);
  keys.clear();
  for (const std::string& key : old) Remove(key, level, slot);
  IndexSlot(dict, level, slot);
}

void Index::RefreshDictionaryName(const CDataDict& dict) {
  auto it = map.find(dictionaryKey);
  if (it != map.end()) {
    std::vector<Place> kept;
    ForEachPlace(it->second, [&](const Place& p) {
      if (p.kind != Dictionary) kept.push_back(p);
    });
    if (kept.empty()) {
      map.erase(it);
    } else {
      it->second.first = kept.front();
      it->second.more.assign(kept.begin() + 1, kept.end());
    }
  }
  dictionaryKey = KeyOf(dict.GetName());
  Add(dict.GetName(), {Dictionary}, nullptr);
}

bool Index::Matches(const CDataDict& dict) const {
  if (static_cast<int>(slots.size()) != dict.GetNumLevels()) return false;
  for (int l = 0; l < dict.GetNumLevels(); ++l)
    if (static_cast<int>(slots[l].size()) != dict.GetLevel(l)->GetNumRecords() + 1) return false;
  return true;
}

const Index::Entry* Index::Find(const std::string& name) const {
  auto it = map.find(KeyOf(name));
  return it == map.end() ? nullptr : &it->second;
}

// ---- CDataDict name operations ----

CDataDict::~CDataDict() = default;

const CDataDict::NameIndex& CDataDict::Names() const {
  if (!m_pNames) {
    m_pNames = std::make_unique<NameIndex>();
    m_pNames->Build(*this);
  }
  return *m_pNames;
}

void CDataDict::BuildNameList() {
  m_pNames.reset();
  Names();
}

void CDataDict::UpdateNameList(int level, int record) {
  const bool partial = m_pNames && level >= 0 && level < GetNumLevels() && record >= -2 &&
                       record < GetLevel(level)->GetNumRecords() && m_pNames->Matches(*this);
  if (!partial) {
    BuildNameList();
    return;
  }
  m_pNames->RefreshDictionaryName(*this);
  if (record == -1) {
    for (int s = 0; s <= GetLevel(level)->GetNumRecords(); ++s) m_pNames->RebuildSlot(*this, level, s);
  } else {
    m_pNames->RebuildSlot(*this, level, record == -2 ? 0 : record + 1);
  }
}

const CDictItem* CDataDict::LookupName(const CVornString& name, int* level, int* record, int* item,
                                       int* vset) const {
  const NameIndex::Entry* entry = Names().Find(name);
  const NameIndex::Place* best = nullptr;
  if (entry) {
    ForEachPlace(*entry, [&](const NameIndex::Place& p) {
      bool named = p.kind == NameIndex::Item || p.kind == NameIndex::VSet;
      if (named && Exists(*this, p) && (!best || ComesBefore(p, *best))) best = &p;
    });
  }
  if (level) *level = best ? best->level : -1;
  if (record) *record = best ? best->record : -1;
  if (item) *item = best ? best->item : -1;
  if (vset) *vset = best ? best->vset : -1;
  if (!best) return nullptr;
  return RecordAt(*GetLevel(best->level), best->record)->GetItem(best->item);
}

CDictItem* CDataDict::LookupName(const CVornString& name, int* level, int* record, int* item, int* vset) {
  return const_cast<CDictItem*>(std::as_const(*this).LookupName(name, level, record, item, vset));
}

bool CDataDict::IsNameUnique(const CVornString& name, int level, int record, int item, int vset) const {
  const NameIndex::Entry* entry = Names().Find(name);
  if (!entry) return true;
  const NameIndex::Place own = NameIndex::PlaceOf(level, record, item, vset);
  bool unique = true;
  ForEachPlace(*entry, [&](const NameIndex::Place& p) {
    if (own.kind == NameIndex::None || !(p == own)) unique = false;
  });
  return unique;
}

CVornString CDataDict::GetUniqueName(const CVornString& name, int level, int record, int item, int vset) const {
  CVornString base = name;
  base.MakeName();
  if (IsNameUnique(base, level, record, item, vset)) return base;
  // Each name in the list blocks at most a few candidates, so this ends quickly.
  for (int n = 1;; ++n) {
    const std::string suffix = std::to_string(n);
    CVornString candidate = base.Left(kMaxNameLength - static_cast<int>(suffix.size())) + suffix;
    if (IsNameUnique(candidate, level, record, item, vset)) return candidate;
  }
}
