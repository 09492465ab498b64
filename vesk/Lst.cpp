#include "vesk/Lst.h"

#include <cstdio>
#include <new>

Lst::Lst(Nod*) {}

Lst::~Lst() { Clear(); }

void Lst::Clear() {
  for (Nod* node : nodes_) {
    if (ownsObjects && node->obj) delete node->obj;
    delete node;
  }
  nodes_.clear();
  count = 0;
  curIndex = 0;
  curNode = nullptr;
}

Nod* Lst::Put(CString name, PClass* obj) { return PutAt(std::move(name), obj, false); }

Nod* Lst::PutFirst(CString name, PClass* obj) { return PutAt(std::move(name), obj, true); }

Nod* Lst::PutAt(CString name, PClass* obj, bool first) {
  if (uniqueNames && Get(name)) return nullptr;
  // count is 16-bit: a list that is full refuses, as it would on exhausted memory.
  if (count >= kMaxEntries) return nullptr;
  Nod* node = new (std::nothrow) Nod;
  if (!node) return nullptr;
  try {
    FillNode(node, name, obj);
    AllocNode();
    if (first)
      nodes_.insert(nodes_.begin(), node);
    else
      nodes_.push_back(node);
  } catch (const std::bad_alloc&) {
    delete node;
    return nullptr;
  }
  ++count;
  return node;
}

short Lst::AllocNode() {
  // Book-keeping kept from the original array handling; slots past count never exist
  // here because the array always holds exactly count entries.
  if (count >= allocCount) allocCount += allocStep;
  return 1;
}

short Lst::FillNode(Nod* node, const CString& name, PClass* obj) {
  node->name = name;
  node->obj = obj;
  return 1;
}

Nod* Lst::Get(CString name) {
  int32_t pos = GetIndex(std::move(name));
  return pos < 0 ? nullptr : nodes_[pos];
}

int32_t Lst::GetIndex(CString name) {
  for (size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i]->name == name) return static_cast<int32_t>(i);
  return -1;
}

int32_t Lst::IndexOf(const PClass* obj) const {
  for (size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i]->obj == obj) return static_cast<int32_t>(i);
  return -1;
}

PClass* Lst::operator[](uint16_t pos) { return pos < count ? nodes_[pos]->obj : nullptr; }

Nod* Lst::First() {
  curIndex = 0;
  if (nodes_.empty()) return nullptr;
  curNode = nodes_[0];
  return curNode;
}

Nod* Lst::Last() {
  if (count == 0) {
    curNode = nullptr;
    return nullptr;
  }
  curIndex = count - 1;
  curNode = nodes_[curIndex];
  return curNode;
}

Nod* Lst::Next() {
  if (!curNode || curIndex + 1 >= count) return nullptr;
  ++curIndex;
  curNode = nodes_[curIndex];
  return curNode;
}

Nod* Lst::Back() {
  // curIndex may point past the end after a Delete; never index outside the array.
  if (!curNode || curIndex <= 0 || curIndex > count) return nullptr;
  --curIndex;
  curNode = nodes_[curIndex];
  return curNode;
}

bool Lst::Delete(uint16_t pos) {
  if (count == 0 || pos >= count) return false;
  Nod* node = nodes_[pos];
  nodes_.erase(nodes_.begin() + pos);
  --count;
  if (curNode == node) curNode = curIndex < count ? nodes_[curIndex] : nullptr;
  delete node;  // the list owns its entries; the object stays with the caller
  return true;
}

void Lst::Move(Nod* node, bool first) {
  if (!node) return;
  // Take out the node itself when it is in the list, else the first entry of its name:
  // the list never ends up holding one node twice.
  int32_t pos = -1;
  for (size_t i = 0; i < nodes_.size() && pos < 0; ++i)
    if (nodes_[i] == node) pos = static_cast<int32_t>(i);
  if (pos < 0) pos = GetIndex(node->name);
  if (pos < 0) return;
  Nod* removed = nodes_[pos];
  nodes_.erase(nodes_.begin() + pos);
  if (removed != node) delete removed;
  // Erasing freed a slot, so the insertion needs no new memory.
  if (first)
    nodes_.insert(nodes_.begin(), node);
  else
    nodes_.push_back(node);
  if (curNode == removed && removed != node) curNode = nullptr;
}

void Lst::Dofunc(ListFunc listFn, NodeFunc nodeFn) {
  if (listFn) listFn(this);
  if (!nodeFn) return;
  if (forward == 1) {
    for (int i = 0; i < count; ++i) nodeFn(nodes_[i], i);
  } else {
    for (int i = count - 1; i >= 0; --i) nodeFn(nodes_[i], i);
  }
}

void Lst::Print() {
  Dofunc([](Lst* list) { std::printf("Lista tiene %d nodos\n", list->count); },
         [](Nod* node, int) { std::printf("NodName='%s'\n", node->name.c_str()); });
}
