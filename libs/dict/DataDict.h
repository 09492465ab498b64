#pragma once
// The Travo dictionary model: a dictionary holds levels, a level holds an id-items record
// and records, a record holds items, an item holds value sets, a value set holds values,
// a value holds from/to pairs. Positions count from 1. Every Add/Insert operation stores
// a deep copy of what it is given and returns the new index; the caller keeps its object.
// Null pointers given to them are ignored (result -1).
//
// Copies: copy construction copies everything, the links to the outside included (an item
// copy keeps its record and dictionary; a record copy its level and dictionary), while
// the children of the copy point to the copy. Assignment copies the contents and keeps the
// target's own links. Storing an object in a dictionary sets every back link.
//
// The .dcf file format is described in docs/dcf-format.md, the rules behind
// CDDRuleMgr and the name list in docs/dictionary-rules.md.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "libs/util/VornString.h"

class CDataDict;
class CDictLevel;
class CDictRecord;
class CDictItem;

// Data type of an item.
enum DATA_TYPE { NumericType = 0, AlphaType = 1 };
// Item type: an item, or a subitem that subdivides the item before it.
enum ITEM_TYPE { Item = 0, SubItem = 1 };
// Kind of a value.
enum VALUE_TYPE { NoneType = 0, MissingType = 1, NotAppType = 2, DefaultType = 3 };

// The integer setters map numbers the enums do not hold: data type 0 is numeric and any
// other number alpha, item type 0 an item and any other a subitem, value types outside
// 0..3 are NoneType. The model so never holds a value its enum cannot represent.
inline DATA_TYPE ToDataType(int t) { return t == 0 ? NumericType : AlphaType; }
inline ITEM_TYPE ToItemType(int t) { return t == 0 ? Item : SubItem; }
inline VALUE_TYPE ToValueType(int t) { return t >= 0 && t <= 3 ? static_cast<VALUE_TYPE>(t) : NoneType; }

// A text that is empty in most objects (notes, value names, to texts): it costs one pointer
// until it is first set, which keeps large dictionaries small in memory.
class CDictRareText {
 public:
  CDictRareText() = default;
  CDictRareText(const CDictRareText& other) { Set(other.Get()); }
  CDictRareText& operator=(const CDictRareText& other) {
    if (this != &other) Set(other.Get());
    return *this;
  }
  CDictRareText(CDictRareText&&) noexcept = default;
  CDictRareText& operator=(CDictRareText&&) noexcept = default;

  const CVornString& Get() const { return m_pText ? *m_pText : Empty(); }
  // Once set, the text keeps its storage, so references to it stay valid.
  void Set(const CVornString& s) {
    if (m_pText)
      *m_pText = s;
    else if (!s.empty())
      m_pText = std::make_unique<CVornString>(s);
  }
  void Set(std::string&& s) {
    if (m_pText)
      *m_pText = std::move(s);
    else if (!s.empty())
      m_pText = std::make_unique<CVornString>(std::move(s));
  }
  bool operator==(const CDictRareText& other) const { return Get() == other.Get(); }

 private:
  static const CVornString& Empty() {
    static const CVornString empty;
    return empty;
  }
  std::unique_ptr<CVornString> m_pText;
};

class CDictVPair {
 public:
  CDictVPair() = default;
  CDictVPair(const CVornString& from, const CVornString& to) : m_sFrom(from) { m_sTo.Set(to); }
  const CVornString& GetFrom() const { return m_sFrom; }
  const CVornString& GetTo() const { return m_sTo.Get(); }  // empty for a single value
  void SetFrom(const CVornString& s) { m_sFrom = s; }
  void SetTo(const CVornString& s) { m_sTo.Set(s); }
  bool operator==(const CDictVPair& other) const;

 private:
  friend class DcfReader;
  friend struct DictFieldTables;
  CVornString m_sFrom;
  CDictRareText m_sTo;
};

class CDictValue {
 public:
  const CVornString& GetName() const { return m_sName.Get(); }
  const CVornString& GetLabel() const { return m_sLabel; }
  const CVornString& GetNote() const { return m_sNote.Get(); }
  void SetName(const CVornString& s) { m_sName.Set(s); }
  void SetLabel(const CVornString& s) { m_sLabel = s; }
  void SetNote(const CVornString& s) { m_sNote.Set(s); }
  VALUE_TYPE GetValueType() const { return m_eValueType; }
  void SetValueType(VALUE_TYPE t) { m_eValueType = ToValueType(t); }
  void SetValueType(int t) { m_eValueType = ToValueType(t); }
  bool IsSpecial() const { return m_bSpecial; }
  void SetSpecial(bool b) { m_bSpecial = b; }

  int GetNumVPairs() const { return m_bHasPair ? 1 + static_cast<int>(m_aMorePairs.size()) : 0; }
  // Like the other indexed getters, an index out of range throws std::out_of_range.
  CDictVPair* GetVPair(int i) { return const_cast<CDictVPair*>(std::as_const(*this).GetVPair(i)); }
  const CDictVPair* GetVPair(int i) const;
  int AddVPair(const CDictVPair* pair);
  int AddVPair(CDictVPair&& pair);
  void RemoveVPairAt(int i);
  bool operator==(const CDictValue& other) const;

 private:
  friend class DcfReader;
  friend struct DictFieldTables;
  CDictVPair& NewVPair();  // appends an empty pair
  CVornString m_sLabel;
  CDictRareText m_sName, m_sNote;
  VALUE_TYPE m_eValueType = NoneType;
  bool m_bSpecial = false;
  // The first pair lives in the value itself: most values have exactly one, and reaching
  // it without following a pointer keeps walks over large dictionaries fast. An absent
  // first pair is left empty, so that the member-wise equality holds.
  bool m_bHasPair = false;
  CDictVPair m_firstPair;
  std::vector<CDictVPair> m_aMorePairs;
};

class CDictVSet {
 public:
  const CVornString& GetName() const { return m_sName; }
  const CVornString& GetLabel() const { return m_sLabel; }
  const CVornString& GetNote() const { return m_sNote.Get(); }
  void SetName(const CVornString& s) { m_sName = s; }
  void SetLabel(const CVornString& s) { m_sLabel = s; }
  void SetNote(const CVornString& s) { m_sNote.Set(s); }

  int GetNumValues() const { return static_cast<int>(m_aValues.size()); }
  CDictValue* GetValue(int i) { return &m_aValues.at(i); }
  const CDictValue* GetValue(int i) const { return &m_aValues.at(i); }
  int AddValue(const CDictValue* value);
  int AddValue(CDictValue&& value);
  void RemoveValueAt(int i);
  // Room for n values, for a caller that knows how many it will add.
  void ReserveValues(int n) { m_aValues.reserve(n > 0 ? static_cast<size_t>(n) : 0); }
  bool operator==(const CDictVSet& other) const;

 private:
  friend class DcfReader;
  friend struct DictFieldTables;
  CVornString m_sName, m_sLabel;
  CDictRareText m_sNote;
  std::vector<CDictValue> m_aValues;
};

class CDictItem {
 public:
  CDictItem() = default;
  CDictItem(const CDictItem& other);  // deep copy, symbol kept; record/dict links kept
  CDictItem& operator=(const CDictItem& other);  // deep copy; keeps this item's links
  virtual ~CDictItem() = default;

  const CVornString& GetName() const { return m_sName; }
  const CVornString& GetLabel() const { return m_sLabel; }
  const CVornString& GetNote() const { return m_sNote.Get(); }
  void SetName(const CVornString& s) { m_sName = s; }
  void SetLabel(const CVornString& s) { m_sLabel = s; }
  void SetNote(const CVornString& s) { m_sNote.Set(s); }
  int GetStart() const { return m_iStart; }
  void SetStart(int i) { m_iStart = i; }
  int GetLen() const { return m_iLen; }
  void SetLen(int i) { m_iLen = i; }
  int GetOccurs() const { return m_iOccurs; }
  void SetOccurs(int i) { m_iOccurs = i; }
  int GetDecimal() const { return m_iDecimal; }
  void SetDecimal(int i) { m_iDecimal = i; }
  DATA_TYPE GetDataType() const { return m_eDataType; }
  void SetDataType(DATA_TYPE t) { m_eDataType = ToDataType(t); }
  void SetDataType(int t) { m_eDataType = ToDataType(t); }
  ITEM_TYPE GetItemType() const { return m_eItemType; }
  void SetItemType(ITEM_TYPE t) { m_eItemType = ToItemType(t); }
  void SetItemType(int t) { m_eItemType = ToItemType(t); }
  bool GetDecChar() const { return m_bDecChar; }
  void SetDecChar(bool b) { m_bDecChar = b; }
  bool GetZeroFill() const { return m_bZeroFill; }
  void SetZeroFill(bool b) { m_bZeroFill = b; }
  // An int that callers attach to the item; kept unchanged, also through copies. It is a
  // run-time handle: not written to the .dcf file and not compared by operator==.
  int GetSymbol() const { return m_iSymbol; }
  void SetSymbol(int s) { m_iSymbol = s; }
  // Index of the item within its record, kept for callers that lay out forms.
  int GetSonNumber() const { return m_iSonNumber; }
  void SetSonNumber(int i) { m_iSonNumber = i; }
  // The record and dictionary the item belongs to (not owned; null when loose).
  CDictRecord* GetRecord() const { return m_pRecord; }
  void SetRecord(CDictRecord* r) { m_pRecord = r; }
  CDataDict* GetDataDict() const { return m_pDataDict; }
  void SetDataDict(CDataDict* d) { m_pDataDict = d; }

  int GetNumVSets() const { return static_cast<int>(m_aVSets.size()); }
  CDictVSet* GetVSet(int i) { return &m_aVSets.at(i); }
  const CDictVSet* GetVSet(int i) const { return &m_aVSets.at(i); }
  int AddVSet(const CDictVSet* vset);
  int AddVSet(CDictVSet&& vset);
  void RemoveVSetAt(int i);
  void RemoveAllVSets() { m_aVSets.clear(); }

  // Equality of the stored fields (links, son number and symbol excluded).
  bool operator==(const CDictItem& other) const;

 private:
  friend class DcfReader;
  friend struct DictFieldTables;
  void CopyContents(const CDictItem& other);
  CVornString m_sName, m_sLabel;
  CDictRareText m_sNote;
  int m_iStart = 1, m_iLen = 1, m_iOccurs = 1, m_iDecimal = 0;
  DATA_TYPE m_eDataType = NumericType;
  ITEM_TYPE m_eItemType = Item;
  bool m_bDecChar = false, m_bZeroFill = false;
  int m_iSymbol = 0;
  int m_iSonNumber = 0;
  CDictRecord* m_pRecord = nullptr;
  CDataDict* m_pDataDict = nullptr;
  std::vector<CDictVSet> m_aVSets;
};

class CDictRecord {
 public:
  CDictRecord() = default;
  CDictRecord(const CDictRecord& other);  // deep copy; keeps the source's level and dict
  CDictRecord& operator=(const CDictRecord& other);  // deep copy; keeps this record's links
  virtual ~CDictRecord();

  const CVornString& GetName() const { return m_sName; }
  const CVornString& GetLabel() const { return m_sLabel; }
  const CVornString& GetNote() const { return m_sNote; }
  void SetName(const CVornString& s) { m_sName = s; }
  void SetLabel(const CVornString& s) { m_sLabel = s; }
  void SetNote(const CVornString& s) { m_sNote = s; }
  const CVornString& GetRecTypeVal() const { return m_sRecTypeVal; }
  void SetRecTypeVal(const CVornString& s) { m_sRecTypeVal = s; }
  bool GetRequired() const { return m_bRequired; }
  void SetRequired(bool b) { m_bRequired = b; }
  int GetMaxRecs() const { return m_iMaxRecs; }
  void SetMaxRecs(int i) { m_iMaxRecs = i; }
  int GetRecLen() const { return m_iRecLen; }
  void SetRecLen(int i) { m_iRecLen = i; }
  CDictLevel* GetLevel() const { return m_pLevel; }
  void SetLevel(CDictLevel* l) { m_pLevel = l; }
  CDataDict* GetDataDict() const { return m_pDataDict; }
  void SetDataDict(CDataDict* d);  // the record's and every item's

  int GetNumItems() const { return static_cast<int>(m_aItems.size()); }
  CDictItem* GetItem(int i) { return m_aItems.at(i).get(); }
  const CDictItem* GetItem(int i) const { return m_aItems.at(i).get(); }
  int AddItem(const CDictItem* item);  // the copy's record is this record
  int AddItem(CDictItem&& item);
  // Inserts before index (clamped to 0..GetNumItems()); returns where the copy stands.
  int InsertItemAt(int index, const CDictItem* item);
  void RemoveItemAt(int index);
  void RemoveAllItems() { m_aItems.clear(); }

  // Equality of the stored fields (links excluded).
  bool operator==(const CDictRecord& other) const;

 private:
  friend class DcfReader;
  friend struct DictFieldTables;
  void CopyContents(const CDictRecord& other);
  CDictItem* Adopt(int index, std::unique_ptr<CDictItem> item);
  CVornString m_sName, m_sLabel, m_sNote, m_sRecTypeVal;
  bool m_bRequired = false;
  int m_iMaxRecs = 1;
  int m_iRecLen = 0;
  CDictLevel* m_pLevel = nullptr;
  CDataDict* m_pDataDict = nullptr;
  std::vector<std::unique_ptr<CDictItem>> m_aItems;  // stable addresses for links
};

class CDictLevel {
 public:
  CDictLevel();  // with an empty id-items record
  CDictLevel(const CDictLevel& other);  // deep copy; keeps the source's dictionary link
  CDictLevel& operator=(const CDictLevel& other);  // deep copy; keeps this level's link
  virtual ~CDictLevel();

  const CVornString& GetName() const { return m_sName; }
  const CVornString& GetLabel() const { return m_sLabel; }
  const CVornString& GetNote() const { return m_sNote; }
  void SetName(const CVornString& s) { m_sName = s; }
  void SetLabel(const CVornString& s) { m_sLabel = s; }
  void SetNote(const CVornString& s) { m_sNote = s; }

  // Never null: a level always has an id-items record, empty at first.
  CDictRecord* GetIdItemsRec() { return m_pIdItems.get(); }
  const CDictRecord* GetIdItemsRec() const { return m_pIdItems.get(); }
  void SetIdItemsRec(const CDictRecord* rec);  // stores a copy; null empties it

  int GetNumRecords() const { return static_cast<int>(m_aRecords.size()); }
  CDictRecord* GetRecord(int i) { return m_aRecords.at(i).get(); }
  const CDictRecord* GetRecord(int i) const { return m_aRecords.at(i).get(); }
  int AddRecord(const CDictRecord* rec);
  void RemoveRecordAt(int i);

  bool operator==(const CDictLevel& other) const;

 private:
  friend class CDataDict;
  friend class DcfReader;
  friend struct DictFieldTables;
  void CopyContents(const CDictLevel& other);
  void Relink(CDataDict* dict);  // sets every child's back links
  void Link(CDictRecord* rec);
  CVornString m_sName, m_sLabel, m_sNote;
  std::unique_ptr<CDictRecord> m_pIdItems;
  std::vector<std::unique_ptr<CDictRecord>> m_aRecords;
  CDataDict* m_pDataDict = nullptr;
};

class CDataDict {
 public:
  CDataDict();
  CDataDict(const CDataDict& other);  // deep copy
  CDataDict& operator=(const CDataDict& other);
  virtual ~CDataDict();

  const CVornString& GetName() const { return m_sName; }
  const CVornString& GetLabel() const { return m_sLabel; }
  const CVornString& GetNote() const { return m_sNote; }
  void SetName(const CVornString& s) { m_sName = s; }
  void SetLabel(const CVornString& s) { m_sLabel = s; }
  void SetNote(const CVornString& s) { m_sNote = s; }
  int GetRecTypeStart() const { return m_iRecTypeStart; }  // 1-based; 0 when none
  void SetRecTypeStart(int i) { m_iRecTypeStart = i; }
  int GetRecTypeLen() const { return m_iRecTypeLen; }
  void SetRecTypeLen(int i) { m_iRecTypeLen = i; }
  bool GetPosRelative() const { return m_bPosRelative; }
  void SetPosRelative(bool b) { m_bPosRelative = b; }
  bool GetZeroFill() const { return m_bZeroFill; }
  void SetZeroFill(bool b) { m_bZeroFill = b; }
  bool GetDecChar() const { return m_bDecChar; }
  void SetDecChar(bool b) { m_bDecChar = b; }

  int GetNumLevels() const { return static_cast<int>(m_aLevels.size()); }
  CDictLevel* GetLevel(int i) { return m_aLevels.at(i).get(); }
  const CDictLevel* GetLevel(int i) const { return m_aLevels.at(i).get(); }
  int AddLevel(const CDictLevel* level);
  int GetNumRecs() const;  // records of all levels

  // The name list: a hash index of every name (dictionary, levels, records, items, value
  // sets) to where it stands. BuildNameList makes it; UpdateNameList re-indexes after a
  // change: level -1 everything, record -1 the whole level, record -2 the level's id-items
  // record, otherwise that record. The list is a snapshot: renames and edits below the
  // dictionary are seen after the matching update. Queries build it when it is missing
  // (after Open, AddLevel or assignment).
  void BuildNameList();
  void UpdateNameList(int level = -1, int record = -1);
  // Finds a named item, or the item whose value set has that name; fills the indexes given
  // (record -1 for the id-items record, vset -1 when the name is the item's) and returns
  // the item, or null.
  const CDictItem* LookupName(const CVornString& name, int* level = nullptr, int* record = nullptr,
                              int* item = nullptr, int* vset = nullptr) const;
  CDictItem* LookupName(const CVornString& name, int* level = nullptr, int* record = nullptr,
                        int* item = nullptr, int* vset = nullptr);
  // True when name is used nowhere (letter case ignored) except at the place given: the
  // place of a level (level), a record (level, record), an item (level, record, item;
  // record -1 for an id item) or a value set (all four). Level -1 gives no place, so
  // IsNameUnique(name) is true when the name is free anywhere.
  bool IsNameUnique(const CVornString& name, int level = -1, int record = -1, int item = -1,
                    int vset = -1) const;
  // A valid name made from name (made a name, cut to fit, with a numeric suffix 1, 2, ...)
  // that is unique in the sense of IsNameUnique for the place given.
  CVornString GetUniqueName(const CVornString& name, int level = -1, int record = -1, int item = -1,
                            int vset = -1) const;

  // Reads a .dcf file; false with the reason in GetLastError (naming the file and the
  // line) when it cannot be read, for the caller to report. The dictionary is left empty
  // on failure.
  bool Open(const std::string& path);
  // Writes the .dcf file atomically; false with the reason in GetLastError.
  bool Save(const std::string& path);
  const std::string& GetLastError() const { return m_sLastError; }

  bool operator==(const CDataDict& other) const;  // every stored field

  struct NameIndex;  // the name list's index, defined inside the library

 private:
  friend class DcfReader;
  friend struct DictFieldTables;
  void CopyContents(const CDataDict& other);
  const NameIndex& Names() const;
  CVornString m_sName, m_sLabel, m_sNote;
  int m_iRecTypeStart = 0, m_iRecTypeLen = 0;
  bool m_bPosRelative = false, m_bZeroFill = false, m_bDecChar = false;
  std::vector<std::unique_ptr<CDictLevel>> m_aLevels;
  mutable std::unique_ptr<NameIndex> m_pNames;
  std::string m_sLastError;
};

// .dcf text of a dictionary and back (used by Open and Save, and by tools that work in memory).
// DcfFromText accepts exactly the texts DcfToText writes; on failure it returns false, sets
// error to "line N: ..." and leaves dict empty.
std::string DcfToText(const CDataDict& dict);
bool DcfFromText(const std::string& text, CDataDict& dict, std::string* error);

// Naming and validity rules over a current dictionary (docs/dictionary-rules.md).
class CDDRuleMgr {
 public:
  void SetCurrDict(CDataDict* dict) { m_pDict = dict; }
  CDataDict* GetCurrDict() const { return m_pDict; }
  // True when the dictionary is acceptable; the verdict is advisory and nothing is changed.
  // The flags choose which checks run: bNames valid and unique names; bPositions item
  // layout (positive start, length and occurrences, decimals within the length, items
  // inside the record length when one is set, subitems inside their parent item, record
  // type values no longer than the record type); bValues value pairs against their item
  // (numbers that fit a numeric item, texts that fit an alpha item, ranges in order).
  // A null dict means the current one. Problems found are listed in GetProblems.
  bool IsValid(CDataDict* dict, bool bNames, bool bPositions, bool bValues);
  const std::vector<std::string>& GetProblems() const { return m_aProblems; }
  bool IsNameUnique(const CVornString& name, int level = -1, int record = -1, int item = -1,
                    int vset = -1) const;
  CVornString GetUniqueName(const CVornString& name, int level = -1, int record = -1, int item = -1,
                            int vset = -1) const;

 private:
  CDataDict* m_pDict = nullptr;
  std::vector<std::string> m_aProblems;
};
