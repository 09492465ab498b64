#pragma once
// Dic: an in-memory VESK dictionary and the reader of its file (.DIC with a 64-byte
// header, or a work dictionary .WST without one). Operations return 1 (true, a pointer)
// on success and 0 (false, null) on failure, with the reason in status.
#include <cstdint>
#include <memory>
#include <ostream>

#include "vesk/Lst.h"

class Sec;
class Var;
class Key;
class Frm;
class Lab;

enum Dic_eDicType { Dic_eUnset = 0, Dic_eDictFile = 1, Dic_eWorkDict = 2 };

// The 64 header bytes of a dictionary file, decoded field by field by Dic::Load.
struct EXTDICT {
  unsigned char bytes[64];
};

class Dic : public Obj {
 public:
  enum : uint16_t {
    kOk = 4000,
    kNoName = 4013,
    kOpenFailed = 4022,
    kCloseFailed = 4033,
    kShortHeader = 4041,
    kWriteFailed = 4051,
    kSeekFailed = 4061,
    kNoLevel = 4083,
    kNotOpen = 4093,
    kTruncFailed = 4101,
    kNoKeys = 4113,
    kNoMainIndex = 4123,
    kNoMemory = 4134,
    kBadType = 4143,
    kScanBadTag = 3033,
    kScanSeekFailed = 3021,
    kScanReadFailed = 3011,
  };

  Dic();
  explicit Dic(const char* name);
  // A copy shares the loaded lists and labels with its original (they are released once,
  // with the last of them) but not the file handle: its fd is -1.
  Dic(const Dic& other);
  Dic& operator=(const Dic& other);
  ~Dic() override;

  short Open(bool readOnly);
  short Close();
  short DictLoad();

  Sec* GetSec(short pos);
  Var* GetVar(short pos);
  Key* GetKey(short pos);
  // int forms of the three, so that a literal position is not taken for a name
  Sec* GetSec(int pos) { return GetSec(static_cast<short>(pos)); }
  Var* GetVar(int pos) { return GetVar(static_cast<short>(pos)); }
  Key* GetKey(int pos) { return GetKey(static_cast<short>(pos)); }
  Sec* GetSec(const char* name);
  Key* GetKey(const char* name);
  Var* GetVar(const char* name);

  int32_t GetExtraLen() const { return dicType == Dic_eWorkDict ? 3 : 0; }
  CString& GetDicName() { return fileName; }
  void SetDicName(CString& name) { fileName = name; }
  Dic_eDicType GetDicType() const { return dicType; }
  void SetDicType(Dic_eDicType type) { dicType = type; }
  int32_t GetNumLevels() const { return numLevels; }

  static bool IsWorkDict(const char* path);
  CString GenerateSecCode();
  bool ReorderSections();
  short MoveMainIdx(short mode);
  short Trunc();
  short ReplaceIndex();

  // The listing of keys, sections, variables, transformations and forms (vesk/Print.cpp):
  // into the file path (replaced whole), or to standard output when path is null or the
  // file cannot be written. Texts stay as the file holds them.
  void PrintDic(const char* path);
  void PrintDic(std::ostream& out);

  CString fileName;
  int32_t numLevels = 0;
  Dic_eDicType dicType = Dic_eUnset;
  int32_t secCodeCounter = 0;
  uint16_t numVars = 0, numSecs = 0, numKeys = 0, numForms = 0;
  int16_t fd = -1;
  Lst* secs = nullptr;
  Lst* keys = nullptr;
  Lst* vars = nullptr;
  Lst* forms = nullptr;
  int16_t recTypeStart = 0, recTypeLen = 0;
  int16_t levelIdStart[4] = {0, 0, 0, 0};
  int16_t levelIdLen[4] = {0, 0, 0, 0};
  int16_t totalIdLen = 0;
  CString dicName;
  char created[9] = {};
  char modified[9] = {};
  Lab* labels = nullptr;

 private:
  struct Loaded;
  // The object scan's state: the objects that the next ones are chained to, valid from the
  // first NextObj of a DictLoad to the end of that load.
  struct ScanState {
    Sec* currentSec = nullptr;
    Sec* lastSec = nullptr;
    Var* lastVar = nullptr;
    Frm* lastForm = nullptr;
    Frm* lastFormInSec = nullptr;
    bool outOfMemory = false;
  };

  void Inic();
  short Load() override;
  short Load(EXTDICT& header);
  short LoadWork();
  Obj* NextObj(int reset);
  short ScanObjects();
  bool IsListed(Obj* object) const;
  void DiscardUnlisted(Obj* object);
  void LinkVarsToForms();
  short Fail(uint16_t code) {
    status = code;
    return 0;
  }

  // Owns what DictLoad creates; shared between copies so nothing is released twice.
  std::shared_ptr<Loaded> loaded_;
  ScanState scan_;
};
