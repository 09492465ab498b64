#include "vesk/Dic.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

#include "vesk/Frm.h"
#include "vesk/Key.h"
#include "vesk/Lab.h"
#include "vesk/Sec.h"
#include "vesk/Var.h"
#include "vesk/VeskFile.h"

using namespace vesk;

// What one DictLoad created, released in the order sections, variables, keys, forms,
// labels (the variable and form lists only refer to objects the sections own).
struct Dic::Loaded {
  Lst* secs = nullptr;
  Lst* vars = nullptr;
  Lst* keys = nullptr;
  Lst* forms = nullptr;
  Lab* labels = nullptr;
  ~Loaded() {
    delete secs;
    delete vars;
    delete keys;
    delete forms;
    delete labels;
  }
};

namespace {

// Position of the '.' that starts the extension of the file-name part, or npos.
size_t ExtensionDot(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
  return dot;
}

void PutToday(unsigned char* out) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d%02d%02d", local.tm_mon + 1, local.tm_mday, local.tm_year % 100);
  std::memcpy(out, text, 6);
}

}  // namespace

Dic::Dic() { Inic(); }

Dic::Dic(const char* name) {
  Inic();
  std::string given = name ? name : "";
  if (given.empty() || ExtensionDot(given) != std::string::npos)
    fileName = given;
  else
    fileName = given + ".DIC";
}

void Dic::Inic() {
  numLevels = 0;
  dicName.Empty();
  status = kOk;
  fd = -1;
  secs = keys = vars = forms = nullptr;
  objKind = 1;
  std::memset(created, 0, sizeof created);
  std::memset(modified, 0, sizeof modified);
  labels = nullptr;
  dicType = Dic_eUnset;
  secCodeCounter = 0;
}

Dic::Dic(const Dic& other) : Obj(other) { *this = other; }

Dic& Dic::operator=(const Dic& other) {
  if (this == &other) return *this;
  Close();
  Obj::operator=(other);
  fileName = other.fileName;
  numLevels = other.numLevels;
  dicType = other.dicType;
  secCodeCounter = other.secCodeCounter;
  numVars = other.numVars;
  numSecs = other.numSecs;
  numKeys = other.numKeys;
  numForms = other.numForms;
  fd = -1;  // the handle stays with the original, which closes it
  secs = other.secs;
  keys = other.keys;
  vars = other.vars;
  forms = other.forms;
  recTypeStart = other.recTypeStart;
  recTypeLen = other.recTypeLen;
  std::memcpy(levelIdStart, other.levelIdStart, sizeof levelIdStart);
  std::memcpy(levelIdLen, other.levelIdLen, sizeof levelIdLen);
  totalIdLen = other.totalIdLen;
  dicName = other.dicName;
  std::memcpy(created, other.created, sizeof created);
  std::memcpy(modified, other.modified, sizeof modified);
  labels = other.labels;
  loaded_ = other.loaded_;
  return *this;
}

Dic::~Dic() { Close(); }

short Dic::Open(bool readOnly) {
  if (fileName.empty()) return Fail(kNoName);
  Close();
  int handle = ::open(fileName.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (handle < 0) return Fail(kOpenFailed);
  if (handle > INT16_MAX) {  // the handle is kept in 16 bits
    ::close(handle);
    return Fail(kOpenFailed);
  }
  fd = static_cast<int16_t>(handle);
  return 1;
}

short Dic::Close() {
  if (fd < 0) return 1;
  int result = ::close(fd);
  fd = -1;
  return result == 0 ? 1 : Fail(kCloseFailed);
}

short Dic::DictLoad() {
  if (dicType == Dic_eUnset) return Fail(kBadType);
  if (fd < 0) return Fail(kNotOpen);
  try {
    auto fresh = std::make_shared<Loaded>();
    fresh->forms = NewList(false);
    fresh->secs = NewList(true);
    fresh->vars = NewList(false);
    fresh->keys = NewList(true);
    if (!fresh->forms || !fresh->secs || !fresh->vars || !fresh->keys) return Fail(kNoMemory);
    // A second load replaces what the first one made; copies keep their own.
    loaded_ = fresh;
    forms = fresh->forms;
    secs = fresh->secs;
    vars = fresh->vars;
    keys = fresh->keys;
    labels = nullptr;
    numVars = numSecs = numKeys = numForms = 0;

    short ok = dicType == Dic_eDictFile ? Load() : dicType == Dic_eWorkDict ? LoadWork() : Fail(kBadType);
    if (!ok) return 0;
    ok = ScanObjects();
    scan_ = ScanState();
    if (!ok) return 0;

    if (keys->count > 0) {
      if (!MoveMainIdx(1)) return 0;
      for (uint16_t i = 0; i < keys->count; ++i) GetKey(static_cast<short>(i))->keyIndex = i;
    }
    numVars = vars->count;
    numKeys = keys->count;
    numSecs = secs->count;
    numForms = forms->count;
    secs->EnableFastAcces();
    vars->EnableFastAcces();
    keys->EnableFastAcces();
    forms->EnableFastAcces();
    for (uint16_t i = 0; i < vars->count; ++i) GetVar(static_cast<short>(i))->varIndex = i;
    for (uint16_t i = 0; i < secs->count; ++i) GetSec(static_cast<short>(i))->secIndex = i;
    LinkVarsToForms();
    return 1;
  } catch (const std::bad_alloc&) {
    scan_ = ScanState();
    return Fail(kNoMemory);
  }
}

short Dic::ScanObjects() {
  for (int reset = 1;; reset = 0) {
    Obj* object = NextObj(reset);
    if (!object) return scan_.outOfMemory ? Fail(kNoMemory) : 1;
    if (!object->Load()) {
      status = object->status;
      DiscardUnlisted(object);
      return 0;
    }
    // A failure left in the dictionary's own status (say by an earlier Open) makes the
    // load fail here rather than carry on over an object model in doubt.
    if (status % 10 != 0) return 0;
  }
}

bool Dic::IsListed(Obj* object) const {
  if (auto* sec = dynamic_cast<Sec*>(object)) return secs->IndexOf(sec) >= 0;
  if (auto* var = dynamic_cast<Var*>(object)) return var->sec && var->sec->vars && var->sec->vars->IndexOf(var) >= 0;
  if (auto* frm = dynamic_cast<Frm*>(object))
    return frm->sec && frm->sec->forms && frm->sec->forms->IndexOf(frm) >= 0;
  if (auto* key = dynamic_cast<Key*>(object)) return keys->IndexOf(key) >= 0;
  return false;
}

// An object whose Load failed before it put itself into its owner's list belongs to
// nobody: unchain it from its neighbours and release it.
void Dic::DiscardUnlisted(Obj* object) {
  if (IsListed(object)) return;
  if (auto* sec = dynamic_cast<Sec*>(object)) {
    if (sec->prev && sec->prev->next == sec) sec->prev->next = nullptr;
  } else if (auto* var = dynamic_cast<Var*>(object)) {
    if (var->prev && var->prev->next == var) var->prev->next = nullptr;
  } else if (auto* frm = dynamic_cast<Frm*>(object)) {
    if (frm->prev && frm->prev->next == frm) frm->prev->next = nullptr;
    if (frm->prevInSec && frm->prevInSec->nextInSec == frm) frm->prevInSec->nextInSec = nullptr;
  }
  delete object;
}

void Dic::LinkVarsToForms() {
  for (uint16_t s = 0; s < secs->count; ++s) {
    Sec* sec = GetSec(static_cast<short>(s));
    if (!sec->vars || !sec->forms || sec->vars->count == 0 || sec->forms->count == 0) continue;
    for (uint16_t v = 0; v < sec->vars->count; ++v) {
      Var* var = static_cast<Var*>((*sec->vars)[v]);
      Nod* node = sec->forms->Get(var->formName);
      var->frm = node ? static_cast<Frm*>(node->obj) : nullptr;
      if (var->frm) var->frm->vars->Put(var->name, var);
    }
  }
}

short Dic::Load() {
  filePos = Tell(fd);
  EXTDICT header;
  if (ReadFull(fd, header.bytes, sizeof header.bytes) < static_cast<int>(sizeof header.bytes))
    return Fail(kShortHeader);
  unsigned char tag = header.bytes[0];
  if ((tag == 'D' && dicType != Dic_eDictFile) || (tag == 'S' && dicType != Dic_eWorkDict)) return Fail(kBadType);
  return Load(header);
}

short Dic::Load(EXTDICT& header) {
  const unsigned char* b = header.bytes;
  dicName = FixedText(b + 1, 8);
  int idLen = 0;
  numLevels = 0;
  for (int i = 0; i < 4; ++i) {
    levelIdStart[i] = GetI16(b + 18 + 2 * i);
    levelIdLen[i] = GetI16(b + 32 + 2 * i);
    if (levelIdLen[i] > 0) {
      idLen += levelIdLen[i];
      ++numLevels;
    }
  }
  totalIdLen = static_cast<int16_t>(idLen);
  std::memcpy(created, b + 44, 6);
  created[6] = '\0';
  std::memcpy(modified, b + 50, 6);
  modified[6] = '\0';
  recTypeStart = GetI16(b + 40);
  recTypeLen = GetI16(b + 42);
  if (numLevels == 0) return Fail(kNoLevel);

  int labelBlocks = GetI16(b + 56);
  labels = new (std::nothrow) Lab(fd, labelBlocks, labelBlocks != 0 ? CurrentBlock(fd) : -1);
  if (!labels) return Fail(kNoMemory);
  if (loaded_) loaded_->labels = labels;
  if (!SkipBlocks(fd, labelBlocks)) return Fail(kSeekFailed);
  int extraBlocks = GetI16(b + 58);
  if (extraBlocks > 0 && !SkipBlocks(fd, extraBlocks)) return Fail(kSeekFailed);
  return 1;
}

short Dic::LoadWork() {
  EXTDICT header;
  unsigned char* b = header.bytes;
  std::memset(b, ' ', sizeof header.bytes);
  b[0] = 'D';
  std::string base = fileName;
  size_t slash = base.find_last_of('/');
  if (slash != std::string::npos) base.erase(0, slash + 1);
  size_t dot = ExtensionDot(base);
  if (dot != std::string::npos) base.erase(dot);
  PutFixedText(b + 1, base.c_str(), 8);
  b[30] = 0;
  const int16_t starts[4] = {1, 0, 0, 0};
  const int16_t lens[4] = {1, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    PutU16(b + 18 + 2 * i, static_cast<uint16_t>(starts[i]));
    PutU16(b + 32 + 2 * i, static_cast<uint16_t>(lens[i]));
  }
  PutU16(b + 40, 2);
  PutU16(b + 42, 2);
  PutToday(b + 44);
  PutToday(b + 50);
  PutU16(b + 56, 0);
  PutU16(b + 58, 0);
  return Load(header);
}

Obj* Dic::NextObj(int reset) {
  if (reset) scan_ = ScanState();
  unsigned char tag = 0;
  int got = ReadFull(fd, &tag, 1);
  if (got == 0) return nullptr;
  if (got < 0) {
    status = kScanReadFailed;
    return nullptr;
  }
  if (::lseek(fd, -1, SEEK_CUR) < 0) {
    status = kScanSeekFailed;
    return nullptr;
  }
  Obj* made = nullptr;
  switch (tag) {
    case 'S': {
      Sec* sec = new (std::nothrow) Sec(this, scan_.lastSec);
      if (sec) {
        scan_.currentSec = scan_.lastSec = sec;
        scan_.lastVar = nullptr;
        scan_.lastFormInSec = nullptr;
      }
      made = sec;
      break;
    }
    case 'V': {
      Var* var = new (std::nothrow) Var(scan_.currentSec, scan_.lastVar);
      if (var) scan_.lastVar = var;
      made = var;
      break;
    }
    case 'F': {
      Frm* frm = new (std::nothrow) Frm(scan_.currentSec, scan_.lastForm, scan_.lastFormInSec);
      if (frm) scan_.lastForm = scan_.lastFormInSec = frm;
      made = frm;
      break;
    }
    case 'M':
    case 'I':
      made = new (std::nothrow) Key(this, nullptr, tag == 'M' ? 1 : 2);
      break;
    default:
      status = kScanBadTag;
      return nullptr;
  }
  if (!made) scan_.outOfMemory = true;
  return made;
}

Sec* Dic::GetSec(short pos) { return secs ? static_cast<Sec*>((*secs)[static_cast<uint16_t>(pos)]) : nullptr; }
Var* Dic::GetVar(short pos) { return vars ? static_cast<Var*>((*vars)[static_cast<uint16_t>(pos)]) : nullptr; }
Key* Dic::GetKey(short pos) { return keys ? static_cast<Key*>((*keys)[static_cast<uint16_t>(pos)]) : nullptr; }

Sec* Dic::GetSec(const char* name) {
  Nod* node = secs && name ? secs->Get(name) : nullptr;
  return node ? static_cast<Sec*>(node->obj) : nullptr;
}

Key* Dic::GetKey(const char* name) {
  Nod* node = keys && name ? keys->Get(name) : nullptr;
  return node ? static_cast<Key*>(node->obj) : nullptr;
}

Var* Dic::GetVar(const char* name) {
  if (!secs || secs->count == 0 || !name) return nullptr;
  CString wanted = FixedText(reinterpret_cast<const unsigned char*>(name), 8);
  for (uint16_t s = 0; s < secs->count; ++s) {
    Sec* sec = GetSec(static_cast<short>(s));
    Nod* node = sec->vars ? sec->vars->Get(wanted) : nullptr;
    if (node) return static_cast<Var*>(node->obj);
  }
  return nullptr;
}

bool Dic::IsWorkDict(const char* path) {
  if (!path) return false;
  std::string text = path;
  size_t dot = ExtensionDot(text);
  return dot != std::string::npos && strcasecmp(text.c_str() + dot, ".WST") == 0;
}

CString Dic::GenerateSecCode() {
  int n = secCodeCounter++;
  CString code;
  code += static_cast<char>('A' + n / 26);
  code += static_cast<char>('A' + n % 26);
  return code;
}

bool Dic::ReorderSections() {
  if (!secs || secs->count == 0) return true;
  bool ordered = true;
  for (uint16_t i = 1; i < secs->count && ordered; ++i)
    ordered = GetSec(static_cast<short>(i - 1))->level <= GetSec(static_cast<short>(i))->level;
  if (ordered) return true;
  // A stable sort by level: the order of sections of one level stays the file order, and
  // sections of a level beyond numLevels stay in the list, after the others.
  secs->SortStable([](PClass* p) { return static_cast<Sec*>(p)->level; });
  return true;
}

short Dic::MoveMainIdx(short mode) {
  if (!keys || keys->count == 0) return Fail(kNoKeys);
  for (uint16_t i = 0; i < keys->count; ++i) {
    if (GetKey(static_cast<short>(i))->keyType == 1) {
      keys->Move(keys->NodeAt(i), mode != 2);
      return 1;
    }
  }
  return Fail(kNoMainIndex);
}

short Dic::Trunc() {
  if (!keys || keys->count == 0) return 1;
  if (!MoveMainIdx(2)) return 0;
  // Cut where the first key record of the file starts, whichever key that is, so no key
  // record is left behind.
  int32_t cut = -1;
  for (uint16_t i = 0; i < keys->count; ++i) {
    int32_t pos = GetKey(static_cast<short>(i))->filePos;
    if (pos >= 0 && (cut < 0 || pos < cut)) cut = pos;
  }
  if (cut >= 0 && ::ftruncate(fd, cut) != 0) return Fail(kTruncFailed);
  if (vars)
    for (uint16_t i = 0; i < vars->count; ++i) GetVar(static_cast<short>(i))->key = nullptr;
  keys->Clear();
  numKeys = 0;
  return 1;
}

short Dic::ReplaceIndex() {
  if (fd < 0) return Fail(kNotOpen);
  if (!keys || keys->count == 0) return Fail(kNoKeys);
  if (!SeekTo(fd, 30)) return Fail(kSeekFailed);
  unsigned char last = static_cast<unsigned char>((keys->count - 1) & 0xFF);
  if (!WriteFull(fd, &last, 1)) return Fail(kWriteFailed);
  if (::lseek(fd, 0, SEEK_END) < 0) return Fail(kSeekFailed);
  for (uint16_t i = 0; i < keys->count; ++i) {
    Key* key = GetKey(static_cast<short>(i));
    if (!key->Save()) {
      status = key->status;
      return 0;
    }
  }
  return 1;
}
