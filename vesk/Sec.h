#pragma once
// Sec: a section (record type) of a VESK dictionary, with its repeating group (Grp).
#include <cstdint>

#include "vesk/Lst.h"

class Dic;
class Var;
class Rng;
class Lab;

class Grp {
 public:
  explicit Grp(class Sec* sec = nullptr) : sec(sec) {}
  // The group's start column and the length of one occurrence: the first run of
  // consecutive multiple variables.
  void GLen();

  int16_t start = 0;
  int16_t len = 0;
  uint16_t nOcc = 0;
  class Sec* sec = nullptr;
  Lst* vars = nullptr;  // the group's variables; does not own them
};

class Sec : public Obj, public PClass {
 public:
  enum : uint16_t {
    kOk = 5000,
    kReadFailed = 5011,
    kSeekFailed = 5021,
    kNoMemory = 5034,
    kNoGroup = 5043,
    kNoVars = 5053,
    kTooLong = 5063,
  };

  Sec(Dic* dic, Sec* prev);
  // A copy has its own group, occurrence range, labels and list entries, but its lists
  // refer to the original's variables and forms without owning them.
  Sec(const Sec& other);
  Sec& operator=(const Sec& other);
  ~Sec() override;

  short Load() override;
  int32_t CalcSecLen();

  int16_t fd = -1;
  uint16_t secIndex = 0;
  Dic* dic = nullptr;
  CString name;
  char code[4] = {' ', ' ', ' ', '\0'};
  char secKind = 'S';
  Grp* grp = nullptr;
  Lst* vars = nullptr;
  Lst* forms = nullptr;
  Rng* occ = nullptr;
  int32_t level = 1;
  Lab* labels = nullptr;
  Sec* next = nullptr;
  Sec* prev = nullptr;

 private:
  void CopyFrom(const Sec& other);
  void Release();
  short Fail(uint16_t code) {
    status = code;
    return 0;
  }
};
