// The dictionary model: deep copies, add/insert/remove operations, back links, equality.
#include "libs/dict/DataDict.h"

#include <algorithm>
#include <stdexcept>

#include "libs/dict/DictFields.h"
#include "libs/dict/NameIndex.h"

namespace {

template <typename T>
int PushBack(std::vector<T>& list, T&& value) {
  list.push_back(std::move(value));
  return static_cast<int>(list.size()) - 1;
}

template <typename T>
void EraseAt(std::vector<T>& list, int index) {
  if (index >= 0 && index < static_cast<int>(list.size())) list.erase(list.begin() + index);
}

// Element-wise equality of two lists of owned objects.
template <typename T>
bool SameOwned(const std::vector<std::unique_ptr<T>>& a, const std::vector<std::unique_ptr<T>>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const std::unique_ptr<T>& x, const std::unique_ptr<T>& y) { return *x == *y; });
}

}  // namespace

// ---- CDictVPair, CDictValue, CDictVSet ----

bool CDictVPair::operator==(const CDictVPair& o) const { return SameFields(*this, o); }

bool CDictValue::operator==(const CDictValue& o) const {
  if (!SameFields(*this, o) || GetNumVPairs() != o.GetNumVPairs()) return false;
  for (int p = 0; p < GetNumVPairs(); ++p) {
    if (!(*GetVPair(p) == *o.GetVPair(p))) return false;
  }
  return true;
}

bool CDictVSet::operator==(const CDictVSet& o) const { return SameFields(*this, o) && m_aValues == o.m_aValues; }

const CDictVPair* CDictValue::GetVPair(int i) const {
  if (i == 0 && m_bHasPair) return &m_firstPair;
  if (i < 1) throw std::out_of_range("CDictValue::GetVPair");
  return &m_aMorePairs.at(i - 1);
}

CDictVPair& CDictValue::NewVPair() {
  if (m_bHasPair) return m_aMorePairs.emplace_back();
  m_bHasPair = true;
  return m_firstPair;
}

int CDictValue::AddVPair(const CDictVPair* pair) { return pair ? AddVPair(CDictVPair(*pair)) : -1; }

int CDictValue::AddVPair(CDictVPair&& pair) {
  CDictVPair taken = std::move(pair);  // pair may live in this value's own list
  NewVPair() = std::move(taken);
  return GetNumVPairs() - 1;
}

void CDictValue::RemoveVPairAt(int i) {
  if (i < 0 || i >= GetNumVPairs()) return;
  if (i > 0) {
    EraseAt(m_aMorePairs, i - 1);
  } else if (m_aMorePairs.empty()) {
    m_bHasPair = false;
    m_firstPair = CDictVPair();
  } else {
    m_firstPair = std::move(m_aMorePairs.front());
    EraseAt(m_aMorePairs, 0);
  }
}

int CDictVSet::AddValue(const CDictValue* value) { return value ? PushBack(m_aValues, CDictValue(*value)) : -1; }
int CDictVSet::AddValue(CDictValue&& value) { return PushBack(m_aValues, std::move(value)); }
void CDictVSet::RemoveValueAt(int i) { EraseAt(m_aValues, i); }

// ---- CDictItem ----

CDictItem::CDictItem(const CDictItem& other)
    : m_iSymbol(other.m_iSymbol),
      m_iSonNumber(other.m_iSonNumber),
      m_pRecord(other.m_pRecord),
      m_pDataDict(other.m_pDataDict) {
  CopyContents(other);
}

CDictItem& CDictItem::operator=(const CDictItem& other) {
  if (this != &other) {
    CopyContents(other);
    m_iSymbol = other.m_iSymbol;
  }
  return *this;
}

void CDictItem::CopyContents(const CDictItem& other) {
  m_sName = other.m_sName;
  m_sLabel = other.m_sLabel;
  m_sNote = other.m_sNote;
  m_iStart = other.m_iStart;
  m_iLen = other.m_iLen;
  m_iOccurs = other.m_iOccurs;
  m_iDecimal = other.m_iDecimal;
  m_eDataType = other.m_eDataType;
  m_eItemType = other.m_eItemType;
  m_bDecChar = other.m_bDecChar;
  m_bZeroFill = other.m_bZeroFill;
  m_aVSets = other.m_aVSets;
}

int CDictItem::AddVSet(const CDictVSet* vset) { return vset ? PushBack(m_aVSets, CDictVSet(*vset)) : -1; }
int CDictItem::AddVSet(CDictVSet&& vset) { return PushBack(m_aVSets, std::move(vset)); }
void CDictItem::RemoveVSetAt(int i) { EraseAt(m_aVSets, i); }

bool CDictItem::operator==(const CDictItem& o) const { return SameFields(*this, o) && m_aVSets == o.m_aVSets; }

// ---- CDictRecord ----

CDictRecord::CDictRecord(const CDictRecord& other) : m_pLevel(other.m_pLevel), m_pDataDict(other.m_pDataDict) {
  CopyContents(other);
}

CDictRecord& CDictRecord::operator=(const CDictRecord& other) {
  if (this != &other) CopyContents(other);
  return *this;
}

CDictRecord::~CDictRecord() = default;

void CDictRecord::CopyContents(const CDictRecord& other) {
  m_sName = other.m_sName;
  m_sLabel = other.m_sLabel;
  m_sNote = other.m_sNote;
  m_sRecTypeVal = other.m_sRecTypeVal;
  m_bRequired = other.m_bRequired;
  m_iMaxRecs = other.m_iMaxRecs;
  m_iRecLen = other.m_iRecLen;
  std::vector<std::unique_ptr<CDictItem>> items;
  items.reserve(other.m_aItems.size());
  for (const auto& item : other.m_aItems) {
    items.push_back(std::make_unique<CDictItem>(*item));
    items.back()->SetRecord(this);
    items.back()->SetDataDict(m_pDataDict);
  }
  m_aItems = std::move(items);  // built aside, so self-contained copies of children are safe
}

void CDictRecord::SetDataDict(CDataDict* d) {
  m_pDataDict = d;
  for (auto& item : m_aItems) item->SetDataDict(d);
}

CDictItem* CDictRecord::Adopt(int index, std::unique_ptr<CDictItem> item) {
  item->SetRecord(this);
  item->SetDataDict(m_pDataDict);
  CDictItem* stored = item.get();
  m_aItems.insert(m_aItems.begin() + index, std::move(item));
  return stored;
}

int CDictRecord::AddItem(const CDictItem* item) { return item ? InsertItemAt(GetNumItems(), item) : -1; }

int CDictRecord::AddItem(CDictItem&& item) {
  int index = GetNumItems();
  Adopt(index, std::make_unique<CDictItem>(std::move(item)));
  return index;
}

int CDictRecord::InsertItemAt(int index, const CDictItem* item) {
  if (!item) return -1;
  index = std::clamp(index, 0, GetNumItems());
  Adopt(index, std::make_unique<CDictItem>(*item));
  return index;
}

void CDictRecord::RemoveItemAt(int index) { EraseAt(m_aItems, index); }

bool CDictRecord::operator==(const CDictRecord& o) const {
  return SameFields(*this, o) && SameOwned(m_aItems, o.m_aItems);
}

// ---- CDictLevel ----

CDictLevel::CDictLevel() : m_pIdItems(std::make_unique<CDictRecord>()) { Link(m_pIdItems.get()); }

CDictLevel::CDictLevel(const CDictLevel& other) : m_pDataDict(other.m_pDataDict) { CopyContents(other); }

CDictLevel& CDictLevel::operator=(const CDictLevel& other) {
  if (this != &other) CopyContents(other);
  return *this;
}

CDictLevel::~CDictLevel() = default;

void CDictLevel::CopyContents(const CDictLevel& other) {
  m_sName = other.m_sName;
  m_sLabel = other.m_sLabel;
  m_sNote = other.m_sNote;
  auto idItems = std::make_unique<CDictRecord>(*other.m_pIdItems);
  std::vector<std::unique_ptr<CDictRecord>> records;
  records.reserve(other.m_aRecords.size());
  for (const auto& rec : other.m_aRecords) records.push_back(std::make_unique<CDictRecord>(*rec));
  m_pIdItems = std::move(idItems);
  m_aRecords = std::move(records);
  Relink(m_pDataDict);
}

void CDictLevel::Link(CDictRecord* rec) {
  rec->SetLevel(this);
  rec->SetDataDict(m_pDataDict);
}

void CDictLevel::Relink(CDataDict* dict) {
  m_pDataDict = dict;
  Link(m_pIdItems.get());
  for (auto& rec : m_aRecords) Link(rec.get());
}

void CDictLevel::SetIdItemsRec(const CDictRecord* rec) {
  m_pIdItems = rec ? std::make_unique<CDictRecord>(*rec) : std::make_unique<CDictRecord>();
  Link(m_pIdItems.get());
}

int CDictLevel::AddRecord(const CDictRecord* rec) {
  if (!rec) return -1;
  m_aRecords.push_back(std::make_unique<CDictRecord>(*rec));
  Link(m_aRecords.back().get());
  return GetNumRecords() - 1;
}

void CDictLevel::RemoveRecordAt(int i) { EraseAt(m_aRecords, i); }

bool CDictLevel::operator==(const CDictLevel& o) const {
  return SameFields(*this, o) && *m_pIdItems == *o.m_pIdItems && SameOwned(m_aRecords, o.m_aRecords);
}

// ---- CDataDict (the name list and the file live in their own sources) ----

CDataDict::CDataDict() = default;

CDataDict::CDataDict(const CDataDict& other) { CopyContents(other); }

CDataDict& CDataDict::operator=(const CDataDict& other) {
  if (this != &other) CopyContents(other);
  return *this;
}

void CDataDict::CopyContents(const CDataDict& other) {
  m_sName = other.m_sName;
  m_sLabel = other.m_sLabel;
  m_sNote = other.m_sNote;
  m_iRecTypeStart = other.m_iRecTypeStart;
  m_iRecTypeLen = other.m_iRecTypeLen;
  m_bPosRelative = other.m_bPosRelative;
  m_bZeroFill = other.m_bZeroFill;
  m_bDecChar = other.m_bDecChar;
  std::vector<std::unique_ptr<CDictLevel>> levels;
  levels.reserve(other.m_aLevels.size());
  for (const auto& level : other.m_aLevels) {
    levels.push_back(std::make_unique<CDictLevel>(*level));
    levels.back()->Relink(this);
  }
  m_aLevels = std::move(levels);
  m_pNames.reset();
}

int CDataDict::AddLevel(const CDictLevel* level) {
  if (!level) return -1;
  m_aLevels.push_back(std::make_unique<CDictLevel>(*level));
  m_aLevels.back()->Relink(this);
  m_pNames.reset();
  return GetNumLevels() - 1;
}

int CDataDict::GetNumRecs() const {
  int count = 0;
  for (const auto& level : m_aLevels) count += level->GetNumRecords();
  return count;
}

bool CDataDict::operator==(const CDataDict& o) const {
  return SameFields(*this, o) && SameOwned(m_aLevels, o.m_aLevels);
}
