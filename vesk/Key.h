#pragma once
// Key: an index of the data file (the main index or a secondary one), a list of
// variables whose values make the key.
#include <cstdint>

#include "vesk/Lst.h"

class Dic;
class Var;

class Key : public Obj, public PClass {
 public:
  enum : uint16_t {
    kOk = 11000,
    kNoMemory = 11014,
    kReadFailed = 11021,
    kSeekFailed = 11031,
    kVarRefused = 11043,
    kVarNotFound = 11053,
    kWriteFailed = 11061,
    kNoVars = 11073,
  };

  Key(Dic* dic, const char* name, short type);
  // A copy has its own variable list (same variables).
  Key(const Key& other);
  Key& operator=(const Key& other);
  ~Key() override;

  short Load() override;
  void Put(Var* var);
  // Writes the key record and its name blocks at the handle's position.
  short Save();

  Dic* dic = nullptr;
  uint16_t fd = 0xFFFF;
  uint16_t keyIndex = 0;
  uint16_t keyType = 1;
  int16_t keyFlags = 1;
  CString name;
  Lst* vars = nullptr;
  uint16_t nVars = 0;
  uint16_t keyLen = 0;

 private:
  void CopyFrom(const Key& other);
  bool Accepts(const Var* var) const;
  short Fail(uint16_t code) {
    status = code;
    return 0;
  }
};
