#pragma once
// The roots of the VESK object model and its keyed list.
//
// PClass is what a Lst can hold; Obj is what is read from a dictionary file. Lst is an
// ordered list of named entries with one built-in cursor; it owns its entries (Nod) and,
// while ownsObjects is set, the objects they point to. Positions are 0-based and dense.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "libs/util/VornString.h"

typedef CVornString CString;

class PClass {
 public:
  PClass() = default;
  PClass(const PClass&) {}
  PClass& operator=(const PClass&) { return *this; }
  virtual ~PClass() = default;
};

class Obj {
 public:
  Obj() = default;
  Obj(const Obj&) = default;
  Obj& operator=(const Obj&) = default;
  virtual ~Obj() = default;

  // Reads the object's record at the handle's position: 1 on success, 0 on failure with
  // the reason in status.
  virtual short Load() { return 0; }

  int32_t filePos = -1;
  uint16_t status = 3000;
  uint16_t objKind = 0;  // 1 Dic, 2 Sec, 3 Frm, 4 Var, 0 others
};

struct Nod {
  PClass* obj = nullptr;
  CString name;
};

class Lst {
 public:
  typedef void (*ListFunc)(Lst*);
  typedef void (*NodeFunc)(Nod*, int);

  // The most entries a list holds (count is 16-bit); Put refuses more.
  static constexpr int kMaxEntries = 0xFFFF;

  explicit Lst(Nod* unused = nullptr);
  ~Lst();
  Lst(const Lst&) = delete;
  Lst& operator=(const Lst&) = delete;

  Nod* Put(CString name, PClass* obj);
  Nod* PutFirst(CString name, PClass* obj);
  Nod* PutAt(CString name, PClass* obj, bool first);
  Nod* Get(CString name);
  int32_t GetIndex(CString name);
  PClass* operator[](uint16_t pos);

  Nod* First();
  Nod* Last();
  Nod* Next();
  Nod* Back();

  bool Delete(uint16_t pos);
  void Move(Nod* node, bool first);
  void Dofunc(ListFunc listFn, NodeFunc nodeFn);
  void Print();
  short EnableFastAcces() { return 1; }

  // Position of the entry holding obj, or -1. Does not move the cursor.
  int32_t IndexOf(const PClass* obj) const;
  // The entry at pos, or null; does not move the cursor.
  Nod* NodeAt(uint16_t pos) const { return pos < count ? nodes_[pos] : nullptr; }
  // Reorders the entries stably by key(obj), ascending; the cursor goes back to the start.
  template <class KeyFn>
  void SortStable(KeyFn key);
  // Destroys every entry (and, when ownsObjects is set, its object); the list is empty.
  void Clear();

  int32_t allocCount = 0;
  int32_t allocStep = 1;
  int32_t curIndex = 0;
  uint8_t forward = 1;
  uint8_t ownsObjects = 1;
  uint8_t uniqueNames = 0;
  Nod* curNode = nullptr;
  uint16_t count = 0;

 private:
  short AllocNode();
  short FillNode(Nod* node, const CString& name, PClass* obj);

  std::vector<Nod*> nodes_;
};

template <class KeyFn>
void Lst::SortStable(KeyFn key) {
  std::stable_sort(nodes_.begin(), nodes_.end(),
                   [&key](const Nod* a, const Nod* b) { return key(a->obj) < key(b->obj); });
  curIndex = 0;
  curNode = nullptr;
}
