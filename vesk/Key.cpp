#include "vesk/Key.h"

#include <cstring>

#include "vesk/Dic.h"
#include "vesk/Sec.h"
#include "vesk/Var.h"
#include "vesk/VeskFile.h"

using namespace vesk;

Key::Key(Dic* dic, const char* keyName, short type) : dic(dic) {
  status = kOk;
  fd = static_cast<uint16_t>(dic ? dic->fd : -1);
  if (keyName) name = keyName;
  keyType = static_cast<uint16_t>(type);
  vars = NewList(false);
  if (!vars) status = kNoMemory;
}

Key::Key(const Key& other) : Obj(other), PClass(other) { CopyFrom(other); }

Key& Key::operator=(const Key& other) {
  if (this != &other) {
    delete vars;
    Obj::operator=(other);
    CopyFrom(other);
  }
  return *this;
}

Key::~Key() { delete vars; }

void Key::CopyFrom(const Key& other) {
  dic = other.dic;
  fd = other.fd;
  keyIndex = other.keyIndex;
  keyType = other.keyType;
  keyFlags = other.keyFlags;
  name = other.name;
  vars = CopyEntries(other.vars, false);
  nVars = other.nVars;
  keyLen = other.keyLen;
}

void Key::Put(Var* var) {
  if (!var || !vars) return;
  if (vars->count == 0) var->key = this;
  if (vars->Put(var->name, var)) keyLen = static_cast<uint16_t>(keyLen + var->len);
}

// Bit 0 of the flags admits only variables that occur exactly once per case; no key
// variable may have decimals.
bool Key::Accepts(const Var* var) const {
  if ((keyFlags & 1) != 0) {
    const Sec* sec = var->sec;
    if (var->varKind == 'M' || !sec || !sec->occ || sec->occ->lo < 1 || sec->occ->hi > 1) return false;
  }
  return var->decimals == 0;
}

short Key::Load() {
  status = kOk;
  if (!dic || !dic->keys || !vars) return Fail(kNoMemory);
  int handle = static_cast<int16_t>(fd);
  filePos = Tell(handle);
  unsigned char r[kBlock];
  if (ReadFull(handle, r, kBlock) < kBlock) return Fail(kReadFailed);
  name = FixedText(r + 1, 8);
  keyType = r[0] == 'I' ? 2 : 1;
  keyFlags = r[12] == ' ' ? 1 : r[12];
  int skip = GetI16(r + 10);
  if (skip > 0 && !SkipBlocks(handle, skip)) return Fail(kSeekFailed);
  int count = r[9];
  if (count == 0) return Fail(kNoVars);

  for (int b = 0; b < (count + 3) / 4; ++b) {
    unsigned char block[kBlock];
    if (ReadFull(handle, block, kBlock) < kBlock) return Fail(kReadFailed);
    for (int slot = 0; slot < 4 && !IsFieldBlank(block[slot * 8]) ; ++slot) {
      char varName[9];
      FixedTextTo(varName, block + slot * 8, 8);
      Var* var = dic->GetVar(varName);
      if (!var)
        status = kVarNotFound;
      else if (!Accepts(var))
        status = kVarRefused;
      else
        Put(var);
    }
  }
  keyIndex = dic->keys->count;
  if (!dic->keys->Put(name, this)) return Fail(kNoMemory);
  nVars = static_cast<uint16_t>(count);
  return 1;
}

short Key::Save() {
  status = kOk;
  int handle = static_cast<int16_t>(fd);
  filePos = Tell(handle);
  if (!vars || vars->count == 0) {
    filePos = -1;
    return 1;
  }
  unsigned char r[kBlock];
  std::memset(r, ' ', sizeof r);
  r[0] = keyType == 1 ? 'M' : 'I';
  PutFixedText(r + 1, keyType == 1 ? "MAIN_IDX" : name.c_str(), 8);
  r[9] = static_cast<unsigned char>(vars->count & 0xFF);
  r[10] = 0;
  r[11] = 0;
  r[12] = static_cast<unsigned char>(keyFlags & 0xFF);
  if (!WriteFull(handle, r, kBlock)) return Fail(kWriteFailed);

  unsigned char block[kBlock];
  for (uint16_t i = 0; i < vars->count; ++i) {
    if (i % 4 == 0) std::memset(block, ' ', sizeof block);
    PutFixedText(block + (i % 4) * 8, vars->NodeAt(i)->name.c_str(), 8);
    bool full = i % 4 == 3 || i + 1 == vars->count;
    if (full && !WriteFull(handle, block, kBlock)) return Fail(kWriteFailed);
  }
  return 1;
}
