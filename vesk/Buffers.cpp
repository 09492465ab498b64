#include "vesk/Buffers.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "vesk/Dic.h"
#include "vesk/Key.h"
#include "vesk/Sec.h"
#include "vesk/SpecialValues.h"
#include "vesk/Var.h"
#include "vesk/VeskFile.h"

namespace {

// Codes compare equal as numbers, or bit for bit (a NaN code matches only itself).
bool Same(double a, double b) { return a == b || SameBits(a, b); }

Lst* NewRefList() {
  Lst* list = new (std::nothrow) Lst();
  if (list) list->ownsObjects = 0;
  return list;
}

Lst* CopyRefList(const Lst* other) {
  if (!other) return nullptr;
  Lst* list = NewRefList();
  for (uint16_t i = 0; list && i < other->count; ++i) list->Put(other->NodeAt(i)->name, other->NodeAt(i)->obj);
  return list;
}

Vax* VaxAt(Lst* list, uint16_t i) { return static_cast<Vax*>(list->NodeAt(i)->obj); }

}  // namespace

Vax* FindVax(Lst* vaxes, const char* name) {
  if (!vaxes || !name) return nullptr;
  for (uint16_t i = 0; i < vaxes->count; ++i)
    if (vaxes->NodeAt(i)->name == name && vaxes->NodeAt(i)->obj) return VaxAt(vaxes, i);
  for (uint16_t i = 0; i < vaxes->count; ++i) {
    Vax* vax = VaxAt(vaxes, i);
    if (vax && vax->var && std::strcmp(vax->var->name, name) == 0) return vax;
  }
  return nullptr;
}

// ---------------------------------------------------------------- Sex

Sex::Sex(Sec* section) : sec(section) { Build(); }

void Sex::Build() {
  status = kOk;
  if (!sec) {
    status = kNoMemory;
    return;
  }
  const int32_t length = sec->CalcSecLen();
  if (length < 1) {
    // A failed length keeps the section's code; a length below 1 that the section does
    // not call an error is out of range.
    status = sec->status != Sec::kOk ? sec->status : static_cast<uint16_t>(kOccOutOfRange);
    return;
  }
  // A single section holds one record, whatever its maximum says (0 included).
  int most = sec->occ ? vesk::TruncInt(sec->occ->hi) : 1;
  if (sec->secKind != 'M') most = 1;
  if (most < 1 || most > kMaxOccurrences) {
    status = kNoMemory;
    return;
  }
  const size_t size = static_cast<size_t>(most) * static_cast<size_t>(length);
  buffer = new (std::nothrow) char[size]();
  occAddr = new (std::nothrow) char*[static_cast<size_t>(most)];
  if (!buffer || !occAddr) {
    Release();
    status = kNoMemory;
    return;
  }
  secLen = static_cast<int16_t>(length);
  maxOcc_ = most;
  minOcc_ = sec->occ ? vesk::TruncInt(sec->occ->lo) : 1;
  for (int i = 0; i < most; ++i) occAddr[i] = buffer + static_cast<size_t>(i) * static_cast<size_t>(length);
  if (sec->dic && sec->dic->recTypeLen > 0) {
    codeCol_ = sec->dic->recTypeStart - 1;
    codeLen_ = std::min<int>(sec->dic->recTypeLen, 3);  // the code has three characters
  }
  Clear();
}

Sex::Sex(const Sex& other) : PClass(other) { CopyFrom(other); }

Sex& Sex::operator=(const Sex& other) {
  if (this != &other) {
    Release();
    CopyFrom(other);
  }
  return *this;
}

Sex::~Sex() { Release(); }

void Sex::Release() {
  delete grx;
  delete[] occAddr;
  delete[] buffer;
  grx = nullptr;
  occAddr = nullptr;
  buffer = nullptr;
  maxOcc_ = 0;
}

void Sex::CopyFrom(const Sex& other) {
  sec = other.sec;
  listIndex = other.listIndex;
  numOcc = other.numOcc;
  status = other.status;
  secLen = other.secLen;
  minOcc_ = other.minOcc_;
  codeCol_ = other.codeCol_;
  codeLen_ = other.codeLen_;
  maxOcc_ = 0;
  grx = other.grx ? new (std::nothrow) Grx(*other.grx) : nullptr;
  if (!other.buffer) return;
  const size_t size = static_cast<size_t>(other.maxOcc_) * static_cast<size_t>(other.secLen);
  buffer = new (std::nothrow) char[size];
  occAddr = new (std::nothrow) char*[static_cast<size_t>(other.maxOcc_)];
  if (!buffer || !occAddr) {
    delete[] buffer;
    delete[] occAddr;
    buffer = nullptr;
    occAddr = nullptr;
    numOcc = 0;
    status = kNoMemory;
    return;
  }
  std::memcpy(buffer, other.buffer, size);
  maxOcc_ = other.maxOcc_;
  for (int i = 0; i < maxOcc_; ++i) occAddr[i] = buffer + static_cast<size_t>(i) * static_cast<size_t>(secLen);
}

void Sex::PutCode(char* record) {
  for (int k = 0; k < codeLen_; ++k) {
    const int col = codeCol_ + k;
    if (col >= 0 && col < secLen) record[col] = sec->code[k];
  }
}

char* Sex::Addr(short i) { return i >= 0 && i < maxOcc_ ? occAddr[i] : nullptr; }

void Sex::Clear() {
  for (short i = 0; i < maxOcc_; ++i) ClearOcc(i);
  numOcc = 0;
}

void Sex::ClearOcc(short i) {
  char* record = Addr(i);
  if (!record) return;
  std::memset(record, ' ', static_cast<size_t>(secLen));
  PutCode(record);
}

short Sex::Insert(short i) {
  if ((sec && sec->secKind == 'S' && minOcc_ == 1) || i < 0) return Fail(kOccNotAllowed);
  if (numOcc < maxOcc_ && i <= numOcc - 1) {
    for (int k = numOcc - 1; k >= i; --k) std::memcpy(occAddr[k + 1], occAddr[k], static_cast<size_t>(secLen));
    ClearOcc(i);
    ++numOcc;
    return 1;
  }
  return Fail(kOccOutOfRange);
}

short Sex::Delete(short i) {
  if ((sec && sec->secKind == 'S' && minOcc_ == 1) || i < 0 || numOcc < 1 || numOcc == minOcc_)
    return Fail(kOccNotAllowed);
  if (i <= numOcc - 1 && i < maxOcc_ && numOcc <= maxOcc_) {
    for (int k = i + 1; k <= numOcc - 1; ++k) std::memcpy(occAddr[k - 1], occAddr[k], static_cast<size_t>(secLen));
    ClearOcc(static_cast<short>(numOcc - 1));
    --numOcc;
    return 1;
  }
  return Fail(kOccOutOfRange);
}

short Sex::UpdateOcc(short i) {
  if (numOcc >= i + 1) return 1;
  const int wanted = sec && sec->secKind == 'M' ? i + 1 : 1;
  if (wanted > maxOcc_) return Fail(kOccOutOfRange);
  numOcc = static_cast<int16_t>(wanted);
  return 1;
}

short Sex::SetNumOcc(short n) {
  if (n < 0 || n < minOcc_ || n > maxOcc_) return Fail(kOccOutOfRange);
  numOcc = n;
  return 1;
}

int16_t Sex::DoGrx(Lst* vaxes) {
  status = kOk;
  delete grx;
  grx = nullptr;
  if (!sec || !sec->grp) return 1;
  grx = new (std::nothrow) Grx(sec->grp, vaxes);
  if (!grx) return Fail(kNoMemory);
  if (grx->status != Grx::kOk) return Fail(grx->status);
  return 1;
}

// ---------------------------------------------------------------- Vax

Vax::Vax(Var* variable, Sex* section) : sex(section), var(variable) {
  if (!var || !sex) {
    status = kNoMemory;
    return;
  }
  varType = var->varType;
  decimals = var->decimals;
  len = var->len;
  Sec* owner = sex->sec ? sex->sec : var->sec;
  int step = 0;
  if (IsMultiple()) {
    if (!owner || !owner->grp) {
      status = kNoGroup;
      return;
    }
    owner->grp->GLen();
    step = owner->grp->len;
  }
  if (!sex->buffer) {  // the section buffer was not built: there is no field to point at
    status = kNoMemory;
    return;
  }
  int n = std::max<int>(0, var->nOcc);
  if (!IsMultiple()) n = std::min(n, sex->MaxOcc());
  // Each field is cut to the part of it that lies in the record; one that lies wholly
  // outside has width 0. The width is the same for every occurrence.
  int width = std::max<int>(0, var->len);
  for (int i = 0; i < n; ++i) {
    const long col = var->start - 1L + (IsMultiple() ? static_cast<long>(step) * i : 0L);
    const long room = col >= 0 ? sex->secLen - col : 0;
    width = static_cast<int>(std::min<long>(width, std::max<long>(0, room)));
  }
  if (n > 0) {
    fieldAddr = new (std::nothrow) char*[static_cast<size_t>(n)];
    values = new (std::nothrow) double[static_cast<size_t>(n)];
    if (!fieldAddr || !values) {
      Release();
      status = kNoMemory;
      return;
    }
  }
  len = static_cast<int16_t>(width);
  count_ = n;
  for (int i = 0; i < n; ++i) {
    char* record = IsMultiple() ? sex->Addr(0) : sex->Addr(static_cast<short>(i));
    const long col = var->start - 1L + (IsMultiple() ? static_cast<long>(step) * i : 0L);
    fieldAddr[i] = width > 0 ? record + col : record;
    values[i] = DEFAULT;
  }
}

Vax::Vax(const Vax& other) : PClass(other) { CopyFrom(other); }

Vax& Vax::operator=(const Vax& other) {
  if (this != &other) {
    Release();
    CopyFrom(other);
  }
  return *this;
}

Vax::~Vax() { Release(); }

void Vax::Release() {
  delete[] fieldAddr;
  delete[] values;
  fieldAddr = nullptr;
  values = nullptr;
  count_ = 0;
}

void Vax::CopyFrom(const Vax& other) {
  status = other.status;
  varType = other.varType;
  decimals = other.decimals;
  len = other.len;
  numOcc = other.numOcc;
  sex = other.sex;
  var = other.var;
  count_ = 0;
  if (other.count_ == 0) return;
  fieldAddr = new (std::nothrow) char*[static_cast<size_t>(other.count_)];
  values = new (std::nothrow) double[static_cast<size_t>(other.count_)];
  if (!fieldAddr || !values) {
    Release();
    status = kNoMemory;
    return;
  }
  std::copy(other.fieldAddr, other.fieldAddr + other.count_, fieldAddr);
  std::copy(other.values, other.values + other.count_, values);
  count_ = other.count_;
}

bool Vax::IsMultiple() const { return var && var->varKind != 'S'; }

char* Vax::Addr(short i) { return i >= 0 && i < count_ ? fieldAddr[i] : nullptr; }

double Vax::ReadRaw(short i) const {
  if (i < 0 || i >= count_) return BLANK;
  if (var && var->tras && var->tras->count > 0)
    return ReadFieldTransformed(fieldAddr[i], len, decimals, varType, var->tras);
  return ReadFieldNumber(fieldAddr[i], len, decimals);
}

double Vax::MapRaw(double raw) const {
  if (SameBits(raw, BLANK) && var && var->zeroFill) return 0;
  if (SameBits(raw, DEFAULT)) return DEFAULT;
  if (var) {
    if (Same(raw, var->missing)) return MISSING;
    if (Same(raw, var->notAppl)) return NOTAPPL;
    if (Same(raw, var->dflt)) return DEFAULT;
  }
  if (raw >= MARKER_MIN) return DEFAULT;
  return raw;
}

double Vax::Unmap(double value) const {
  if (value == 0 && var && var->zeroFill) return BLANK;
  if (value < MARKER_MIN) return value;
  if (!var) return DEFAULT;
  if (SameBits(value, MISSING)) return var->missing;
  if (SameBits(value, NOTAPPL)) return SameBits(var->notAppl, DEFAULT) ? DEFAULT : var->notAppl;
  if (SameBits(value, DEFAULT)) return var->dflt;
  return DEFAULT;
}

void Vax::CharToDouble() {
  if (varType != 'N') return;
  int used = 1;
  if (IsMultiple())
    used = count_;
  else if (sex && sex->sec && sex->sec->secKind == 'M')
    used = sex->numOcc;
  used = std::clamp(used, 0, count_);
  for (int i = 0; i < used; ++i) values[i] = MapRaw(ReadRaw(static_cast<short>(i)));
}

void Vax::DoubleToChar() {
  if (varType != 'N') return;
  const bool recoded = var && var->tras && var->tras->count > 0;
  for (int i = 0; i < count_; ++i) {
    const double v = Unmap(values[i]);
    if (recoded)
      WriteFieldTransformed(v, fieldAddr[i], len, decimals, varType, var->tras);
    else
      WriteFieldNumber(v, fieldAddr[i], len, decimals);
  }
}

int16_t Vax::CheckVal(double v) {
  const double mapped = MapRaw(v);
  if (SameBits(mapped, MISSING)) return 1;
  if (SameBits(mapped, DEFAULT)) return 2;
  if (SameBits(mapped, NOTAPPL)) return 3;
  return InRanges(mapped) ? 4 : 5;
}

int16_t Vax::InRanges(double v) {
  if (var && var->cats && var->cats->count > 0) {
    for (uint16_t i = 0; i < var->cats->count; ++i) {
      const Rng* range = static_cast<const Rng*>(var->cats->NodeAt(i)->obj);
      if (range && range->lo <= v && v <= range->hi) return 1;
    }
    return 0;
  }
  const int w = len, d = std::max<int>(0, decimals);
  if (w < 1 || (d > 0 && w <= d + 1)) return 0;
  if (w > 15) return 1;
  double lo, hi;
  if (d > 0) {
    const double step = 1 / kPowersOfTen[d];
    hi = kPowersOfTen[w - d - 1] - step;
    lo = w - d - 1 <= 1 ? 0 : -(kPowersOfTen[w - d - 2] - step);
  } else {
    hi = kPowersOfTen[w] - 1;
    lo = w == 1 ? 0 : -(kPowersOfTen[w - 1] - 1);
  }
  return lo <= v && v <= hi ? 1 : 0;
}

short Vax::UpdateOcc(short i) {
  if (numOcc >= i + 1) return 1;
  const bool repeating = sex && sex->sec && sex->sec->secKind == 'M';
  if (!IsMultiple() && !repeating) {
    numOcc = 1;
    return 1;
  }
  if (i + 1 > count_) return 0;  // beyond the variable's occurrences: nothing changes
  if (IsMultiple() && sex && sex->grx) sex->grx->UpdateOcc(i);
  numOcc = static_cast<int16_t>(i + 1);
  return 1;
}

short Vax::SetNumOcc(short n) {
  const bool allowed = IsMultiple() ? n >= 0 && n <= count_
                                    : sex && n >= sex->MinOcc() && n <= sex->MaxOcc() && n >= 0;
  if (!allowed) return 0;
  numOcc = n;
  return 1;
}

void Vax::ClearOcc(short i) {
  if (i < 0 || i >= count_) return;
  std::memset(fieldAddr[i], ' ', static_cast<size_t>(len));
  values[i] = DEFAULT;
}

// ---------------------------------------------------------------- Grx

Grx::Grx(Grp* group, Lst* list) : grp(group) {
  vaxes = NewRefList();
  if (!vaxes) {
    status = kNoMemory;
    return;
  }
  if (!grp || !grp->vars || grp->vars->count == 0) {
    status = kNoVars;
    return;
  }
  for (uint16_t i = 0; i < grp->vars->count; ++i) {
    const Var* var = static_cast<const Var*>(grp->vars->NodeAt(i)->obj);
    Vax* vax = var ? FindVax(list, var->name) : nullptr;
    if (!vax) {
      status = kNoVax;
      return;
    }
    if (!vaxes->Put(var->name, vax)) {
      status = kNoMemory;
      return;
    }
  }
}

Grx::Grx(const Grx& other)
    : PClass(other), status(other.status), grp(other.grp), vaxes(CopyRefList(other.vaxes)), numOcc(other.numOcc) {}

Grx& Grx::operator=(const Grx& other) {
  if (this != &other) {
    delete vaxes;
    status = other.status;
    grp = other.grp;
    vaxes = CopyRefList(other.vaxes);
    numOcc = other.numOcc;
  }
  return *this;
}

Grx::~Grx() { delete vaxes; }

int Grx::GroupOcc() const { return grp ? grp->nOcc : 0; }

bool Grx::InRepeatingSection() const { return grp && grp->sec && grp->sec->secKind == 'M'; }

void Grx::MoveOcc(int from, int to) {
  for (uint16_t v = 0; vaxes && v < vaxes->count; ++v) {
    Vax* vax = VaxAt(vaxes, v);
    char* source = vax ? vax->Addr(static_cast<short>(from)) : nullptr;
    char* target = vax ? vax->Addr(static_cast<short>(to)) : nullptr;
    if (!source || !target) continue;
    std::memmove(target, source, static_cast<size_t>(vax->len));
    vax->values[to] = vax->values[from];
  }
}

short Grx::Insert(short i) {
  if (InRepeatingSection()) return status = kRepeatingSection, 0;
  if (i < 0) return status = kOccNotAllowed, 0;
  if (numOcc < GroupOcc() && i <= numOcc - 1) {
    for (int k = numOcc - 1; k >= i; --k) MoveOcc(k, k + 1);
    ClearOcc(i);
    ++numOcc;
    return 1;
  }
  return status = kOccOutOfRange, 0;
}

short Grx::Delete(short i) {
  if (InRepeatingSection()) return status = kRepeatingSection, 0;
  if (i < 0 || numOcc <= 1) return status = kOccNotAllowed, 0;
  if (i <= numOcc - 1 && i < GroupOcc() && numOcc <= GroupOcc()) {
    for (int k = i + 1; k <= numOcc - 1; ++k) MoveOcc(k, k - 1);
    ClearOcc(static_cast<short>(numOcc - 1));
    --numOcc;
    return 1;
  }
  return status = kOccOutOfRange, 0;
}

void Grx::ClearOcc(short i) {
  if (i < 0 || i >= GroupOcc() || !vaxes) return;
  for (uint16_t v = 0; v < vaxes->count; ++v)
    if (Vax* vax = VaxAt(vaxes, v)) vax->ClearOcc(i);
}

short Grx::UpdateOcc(short i) {
  if (i + 1 > GroupOcc()) return status = kOccOutOfRange, 0;
  numOcc = static_cast<int16_t>(std::max<int>(numOcc, i + 1));
  return 1;
}

short Grx::SetNumOcc(short n) {
  if (n < 1 || n > GroupOcc()) return status = kOccOutOfRange, 0;
  numOcc = n;
  return 1;
}

// ---------------------------------------------------------------- Kex

Kex::Kex(Key* k, Lst* list) : key(k) {
  vaxes = NewRefList();
  bufSize_ = (key ? key->keyLen : 0) + 1;
  keyBuf = new (std::nothrow) char[static_cast<size_t>(bufSize_)];
  if (!vaxes || !keyBuf) {
    bufSize_ = keyBuf ? bufSize_ : 0;
    status = kNoMemory;
    return;
  }
  keyBuf[0] = '\0';
  for (uint16_t i = 0; key && key->vars && i < key->vars->count; ++i) {
    const Var* var = static_cast<const Var*>(key->vars->NodeAt(i)->obj);
    Vax* vax = var ? FindVax(list, var->name) : nullptr;
    if (!vax) {
      status = kNoVax;
      return;
    }
    if (!vaxes->Put(var->name, vax)) {
      status = kNoMemory;
      return;
    }
  }
}

Kex::Kex(const Kex& other) : PClass(other), status(other.status), key(other.key), vaxes(CopyRefList(other.vaxes)) {
  if (other.keyBuf && other.bufSize_ > 0) {
    keyBuf = new (std::nothrow) char[static_cast<size_t>(other.bufSize_)];
    if (keyBuf) {
      std::memcpy(keyBuf, other.keyBuf, static_cast<size_t>(other.bufSize_));
      bufSize_ = other.bufSize_;
    } else {
      status = kNoMemory;
    }
  }
}

Kex& Kex::operator=(const Kex& other) {
  if (this != &other) {
    Kex copy(other);
    std::swap(status, copy.status);
    std::swap(key, copy.key);
    std::swap(vaxes, copy.vaxes);
    std::swap(keyBuf, copy.keyBuf);
    std::swap(bufSize_, copy.bufSize_);
  }
  return *this;
}

Kex::~Kex() {
  delete vaxes;
  delete[] keyBuf;
}

void Kex::DoKey() {
  if (!keyBuf || bufSize_ < 1) return;
  keyBuf[0] = '\0';
  if (!vaxes || vaxes->count == 0) return;
  const int room = bufSize_ - 1;
  int used = 0;
  for (uint16_t v = 0; v < vaxes->count; ++v) {
    Vax* vax = VaxAt(vaxes, v);
    if (!vax) continue;
    vax->DoubleToChar();
    const char* field = vax->Addr(0);
    const int n = field ? std::min<int>(vax->len, room - used) : 0;
    if (n > 0) {
      std::memcpy(keyBuf + used, field, static_cast<size_t>(n));
      used += n;
    }
  }
  keyBuf[used] = '\0';
}

const char* DescribeBufferStatus(int code) {
  switch (code) {
    case Sex::kNoMemory: return "out of memory for the section buffer, or more occurrences than it can hold";
    case Sex::kOccNotAllowed: return "the occurrence cannot be inserted or deleted in this section";
    case Sex::kOccOutOfRange: return "the occurrence lies outside the section's occurrences";
    case Vax::kNoMemory: return "out of memory for the variable buffer, or its section buffer was not built";
    case Vax::kNoGroup: return "a multiple variable belongs to a section without a group";
    case Kex::kNoMemory: return "out of memory for the key buffer";
    case Kex::kNoVax: return "a key variable has no variable buffer";
    case Grx::kNoMemory: return "out of memory for the group buffer";
    case Grx::kNoVars: return "the group has no variables";
    case Grx::kNoVax: return "a group variable has no variable buffer";
    case Grx::kRepeatingSection: return "occurrences of a group cannot be inserted or deleted in a repeating section";
    case Grx::kOccNotAllowed: return "the group occurrence cannot be inserted or deleted";
    case Grx::kOccOutOfRange: return "the group occurrence lies outside the group's occurrences";
    default: return "";
  }
}
