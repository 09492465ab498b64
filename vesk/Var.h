#pragma once
// Var: a variable (field) of a section, with its value ranges (Rng) and value recodes
// (Tra, transformations).
#include <cstdint>

#include "vesk/Lst.h"

class Sec;
class Key;
class Frm;
class Lab;

class Rng : public PClass {
 public:
  Rng() = default;
  Rng(double lo, double hi) : lo(lo), hi(hi) {}
  double lo = 0;
  double hi = 0;
};

class Tra : public PClass {
 public:
  enum : uint16_t {
    kOk = 16000,
    kNoMemory = 16014,
    kSourceTooLong = 16023,  // a quoted source text longer than kMaxSource
    kElseWithoutValue = 16033,
  };
  static constexpr int kMaxSource = 19;

  Tra() = default;
  Tra(const char* text, double value);
  Tra(const Tra& other);
  Tra& operator=(const Tra& other);
  ~Tra() override;

  // Parses a transformation text into entries of list (despite the name it reads).
  short Save(Lst* list, char* text);

  uint16_t status = kOk;
  char* text = nullptr;
  double value = 0;

 private:
  // Copies the leading digits of src, then a '.' and the digits after it, into dst
  // (dstSize bytes, NUL-terminated); returns how many characters of src it took.
  static int GetNum(char* dst, int dstSize, const char* src);
  void SetText(const char* source);
};

class Var : public Obj, public PClass {
 public:
  enum : uint16_t {
    kOk = 7000,
    kReadFailed = 7011,
    kSeekFailed = 7021,
    kNoMemory = 7034,
    kBadTransformation = 7041,
    kNoSection = 7053,  // a variable record before any section record
  };

  explicit Var(Sec* sec = nullptr, Var* prev = nullptr);
  // A copy owns its own ranges, transformations and labels; its other pointers are the
  // original's.
  Var(const Var& other);
  Var& operator=(const Var& other);
  ~Var() override;

  short Load() override;
  bool IsSingle() const;
  // Adds to nCells the number of values the ranges span, or sets 10^len without ranges.
  void CalculateNcells();
  int32_t GetCatValue(int index);
  // dst holds at least 61 bytes.
  char* GetVarLabel(char* dst);
  // dst holds at least 61 bytes and the code; null when no label text is loaded.
  char* GetCatLabel(const char* code, char* dst);
  char varType = 'A';
  int16_t decimals = 0;
  int16_t fd = -1;
  uint16_t varIndex = 0;
  Sec* sec = nullptr;
  int16_t start = -1;
  int16_t len = -1;
  uint16_t zeroFill = 0;
  char name[9] = {};
  char formName[9] = {};
  int16_t nOcc = -1;
  char varKind = 'S';
  Key* key = nullptr;
  Lst* cats = nullptr;
  Lst* tras = nullptr;
  double missing;
  double dflt;
  double notAppl;
  char fieldMode = ' ';
  uint8_t attrByte = 0;
  int16_t formRow = 0, formCol = 0;
  Lab* labels = nullptr;
  Frm* frm = nullptr;
  Var* next = nullptr;
  Var* prev = nullptr;
  int32_t nCells = 0;

 private:
  void CopyFrom(const Var& other);
  void Release();
  short LoadTransformations(int blocks);
  short LoadRanges(int rangeCount, int blocks);
  short Fail(uint16_t code) {
    status = code;
    return 0;
  }
};
