#pragma once
// VESK sections and variables into the levels, records and items of a Travo dictionary.
// The builder keeps the links back from what it made to the VESK model, which the forms
// builder follows: the variable of an item (by its symbol) and the record of a section.
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "libs/dict/DataDict.h"
#include "vesk/Vesk.h"

class CProgressDlg;
class VeskValueSetBuilder;

class VeskDictBuilder {
 public:
  // Builds into dict (which must outlive the builder); value sets through valueSets.
  VeskDictBuilder(CDataDict& dict, VeskValueSetBuilder& valueSets);
  ~VeskDictBuilder();
  VeskDictBuilder(const VeskDictBuilder&) = delete;
  VeskDictBuilder& operator=(const VeskDictBuilder&) = delete;

  // The identification record of each level, with the items of the variables that share a
  // column with the level's identification span and made-up items for the columns that
  // none covers. Comes first: the other items are numbered after these.
  void PrepareIdItems(Dic& dic);
  // Name, label and record type fields of the dictionary.
  void MakeDictHeader(Dic& dic);
  // Levels, records and items; progress (when given) steps once for each variable put into
  // a record.
  void MakeRecords(Dic& dic, CProgressDlg* progress);

  // The variable an item was made from (its symbol), or null.
  Var* VarOfSymbol(int symbol) const;
  // The record made from a section, or null.
  const CDictRecord* RecordOf(const Sec* sec) const;

 private:
  // Keeps obj until the builder is destroyed; returns it.
  template <class T>
  T* Own(T* obj);
  int SymbolOf(Var* var);
  bool OverlapsLevelId(Dic& dic, Var* var) const;
  void MakeIdItem(CDictRecord* idRec, int levelIndex, int part, int start, int len);
  CDictItem* MakeItemFromVar(Var* var, int start, CString* label);
  CDictLevel* MakeLevel(int& levelNo, Sec* sec);
  void MakeItems(CDictRecord* rec, Sec* sec, CProgressDlg* progress);
  void AddLevelToDict(CDictLevel* level);

  using OwnedPtr = std::unique_ptr<void, void (*)(void*)>;

  CDataDict& m_dict;
  VeskValueSetBuilder& m_valueSets;
  std::vector<CDictRecord*> m_aIdRecords;  // one per level, at index level - 1; owned below
  std::vector<OwnedPtr> m_owned;           // released in the order of addition
  std::vector<Var*> m_aSymbols;            // symbol n is the variable at n - 1
  std::unordered_set<const Var*> m_idVars;  // the variables made identification items
  std::unordered_map<const Sec*, const CDictRecord*> m_records;
};

template <class T>
T* VeskDictBuilder::Own(T* obj) {
  m_owned.emplace_back(obj, [](void* p) { delete static_cast<T*>(p); });
  return obj;
}
