#pragma once
// Occurrence buffers: the data of a section's records, built from a loaded dictionary,
// for programs that read and write the data files a VESK dictionary describes.
//
//   Sex  all occurrences of one section's record as fixed-width text;
//   Vax  one variable's field in every occurrence, with its numeric values;
//   Grx  the occurrences of a section's repeating group;
//   Kex  the value of a key, assembled from its variables' fields.
//
// Operations return 1 on success and 0 (or null) on failure, with the reason in the
// object's status. Nothing here reads or writes outside the buffers, whatever the counts,
// lengths and positions of a damaged dictionary say (docs/vesk.md, "Occurrence buffers").
#include <cstdint>

#include "vesk/FieldNumbers.h"
#include "vesk/Lst.h"

class Sec;
class Var;
class Key;
class Grp;
class Grx;
class Vax;

class Sex : public PClass {
 public:
  enum : uint16_t {
    kOk = 13000,
    kNoMemory = 13014,
    kOccNotAllowed = 13023,
    kOccOutOfRange = 13033,
  };
  // The most occurrences a section buffer holds (numOcc is 16-bit signed).
  static constexpr int kMaxOccurrences = 0x7FFF;

  explicit Sex(Sec* sec);
  // A copy has its own record text (same content) and its own group buffer over the same
  // variable buffers.
  Sex(const Sex& other);
  Sex& operator=(const Sex& other);
  ~Sex() override;

  // Start of occurrence i; null outside 0 .. maximum - 1.
  char* Addr(short i);
  void Clear();
  void ClearOcc(short i);
  short Insert(short i);
  short Delete(short i);
  // Refused (0, 13033) for a position at or beyond the maximum occurrences.
  short UpdateOcc(short i);
  short SetNumOcc(short n);
  int16_t DoGrx(Lst* vaxes);

  // The section's minimum and maximum occurrences as the buffer takes them.
  int MinOcc() const { return minOcc_; }
  int MaxOcc() const { return maxOcc_; }

  Sec* sec = nullptr;
  Grx* grx = nullptr;
  uint16_t listIndex = 0;
  int16_t numOcc = 0;
  uint16_t status = kOk;
  char** occAddr = nullptr;
  char* buffer = nullptr;
  int16_t secLen = 0;

 private:
  void Build();
  void CopyFrom(const Sex& other);
  void Release();
  void PutCode(char* record);
  short Fail(uint16_t code) {
    status = code;
    return 0;
  }

  int minOcc_ = 0;
  int maxOcc_ = 0;
  int codeCol_ = 0;  // 0-based column of the record-type code, and how much of it fits
  int codeLen_ = 0;
};

class Vax : public PClass {
 public:
  enum : uint16_t {
    kOk = 14000,
    kNoMemory = 14014,
    kNoGroup = 14023,
  };

  Vax(Var* var, Sex* sex);
  // A copy has its own arrays with the same field positions and values.
  Vax(const Vax& other);
  Vax& operator=(const Vax& other);
  ~Vax() override;

  // The field of occurrence i; null outside 0 .. nOcc - 1.
  char* Addr(short i);
  void CharToDouble();
  void DoubleToChar();
  // 1 MISSING, 2 DEFAULT, 3 NOTAPPL, 4 valid, 5 out of range.
  int16_t CheckVal(double v);
  short UpdateOcc(short i);
  short SetNumOcc(short n);
  void ClearOcc(short i);

  // What the number reader (or the transformation reader) gives for the field of
  // occurrence i before the variable's codes map it; BLANK outside the occurrences.
  double ReadRaw(short i) const;
  // The internal value of a raw value: zero fill, then the variable's codes.
  double MapRaw(double raw) const;
  // How many occurrences the buffer has: the variable's nOcc, or fewer when the section
  // buffer has fewer (a damaged dictionary).
  int Count() const { return count_; }

  uint16_t status = kOk;
  char varType = 'A';
  int16_t decimals = 0;
  int16_t len = 0;
  int16_t numOcc = 0;
  Sex* sex = nullptr;
  Var* var = nullptr;
  char** fieldAddr = nullptr;
  double* values = nullptr;

 private:
  friend class VaxProbe;  // the tests reach InRanges through it
  int16_t InRanges(double v);
  double Unmap(double value) const;
  bool IsMultiple() const;
  void CopyFrom(const Vax& other);
  void Release();

  int count_ = 0;
};

class Grx : public PClass {
 public:
  enum : uint16_t {
    kOk = 17000,
    kNoMemory = 17014,
    kNoVars = 17023,
    kNoVax = 17033,
    kRepeatingSection = 17043,
    kOccNotAllowed = 17053,
    kOccOutOfRange = 17063,
  };

  Grx(Grp* grp, Lst* vaxes);
  Grx(const Grx& other);
  Grx& operator=(const Grx& other);
  ~Grx() override;

  short Insert(short i);
  short Delete(short i);
  void ClearOcc(short i);
  // Refused (0, 17063) for a position at or beyond the group's occurrences.
  short UpdateOcc(short i);
  short SetNumOcc(short n);

  uint16_t status = kOk;
  Grp* grp = nullptr;
  Lst* vaxes = nullptr;
  int16_t numOcc = 0;

 private:
  int GroupOcc() const;
  bool InRepeatingSection() const;
  // Moves field text and value of occurrence from to occurrence to, in every variable.
  void MoveOcc(int from, int to);
};

class Kex : public PClass {
 public:
  enum : uint16_t {
    kOk = 15000,
    kNoMemory = 15014,
    kNoVax = 15023,
  };

  Kex(Key* key, Lst* vaxes);
  Kex(const Kex& other);
  Kex& operator=(const Kex& other);
  ~Kex() override;

  // keyBuf becomes the key's value, NUL-terminated.
  void DoKey();

  uint16_t status = kOk;
  Key* key = nullptr;
  Lst* vaxes = nullptr;
  char* keyBuf = nullptr;

 private:
  int bufSize_ = 0;  // bytes of keyBuf: the key's keyLen + 1
};

// The Vax of a variable in a list of variable buffers: the entry of its name, else the
// first buffer of a variable of that name.
Vax* FindVax(Lst* vaxes, const char* name);

// What a status code of the buffers means, in a few English words ("" for no error or an
// unknown code).
const char* DescribeBufferStatus(int code);
