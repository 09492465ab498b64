#include "vesk/Var.h"

#include <strings.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

#include "vesk/Dic.h"
#include "vesk/Lab.h"
#include "vesk/Sec.h"
#include "vesk/SpecialValues.h"
#include "vesk/VeskFile.h"

using namespace vesk;

// ---------------------------------------------------------------- Tra

Tra::Tra(const char* source, double value) : value(value) { SetText(source); }

Tra::Tra(const Tra& other) : PClass(other), status(other.status), value(other.value) {
  if (other.text) SetText(other.text);
}

Tra& Tra::operator=(const Tra& other) {
  if (this != &other) {
    delete[] text;
    text = nullptr;
    status = other.status;
    value = other.value;
    if (other.text) SetText(other.text);
  }
  return *this;
}

Tra::~Tra() { delete[] text; }

void Tra::SetText(const char* source) {
  size_t n = source ? std::strlen(source) : 0;
  text = new (std::nothrow) char[n + 1];
  if (!text) {
    status = kNoMemory;
    return;
  }
  if (n) std::memcpy(text, source, n);
  text[n] = '\0';
}

int Tra::GetNum(char* dst, int dstSize, const char* src) {
  int taken = 0, put = 0;
  auto copy = [&](char c) {
    if (put < dstSize - 1) dst[put++] = c;
    ++taken;
  };
  while (src[taken] >= '0' && src[taken] <= '9') copy(src[taken]);
  if (src[taken] == '.') {
    copy('.');
    while (src[taken] >= '0' && src[taken] <= '9') copy(src[taken]);
  }
  if (dstSize > 0) dst[put] = '\0';
  return taken;
}

static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

short Tra::Save(Lst* list, char* source) {
  status = kOk;
  if (!list || !source) return 1;
  char current[kMaxSource + 1] = "";
  char* p = source;
  while (*p) {
    if (*p == '"') {
      // A quoted text is taken whole, digits included, up to its closing quote (or the
      // end of the text when it has none).
      char* close = std::strchr(p + 1, '"');
      size_t n = close ? static_cast<size_t>(close - (p + 1)) : std::strlen(p + 1);
      if (n > static_cast<size_t>(kMaxSource)) {
        status = kSourceTooLong;
        return 0;
      }
      std::memcpy(current, p + 1, n);
      current[n] = '\0';
      if (!close) break;
      *close = '\0';
      p = close + 1;
    } else if (IsDigit(*p)) {
      char number[96];
      p += GetNum(number, sizeof number, p);
      double parsed = 0;
      std::from_chars(number, number + std::strlen(number), parsed);
      Tra* entry = new (std::nothrow) Tra(current, parsed);
      if (!entry || entry->status != kOk || !list->PutAt(current, entry, current[0] == '\0')) {
        delete entry;
        status = kNoMemory;
        return 0;
      }
    } else if (strncasecmp(p, "ELSE", 4) == 0) {
      current[0] = '\0';
      p += 4;
      while (*p && !IsDigit(*p)) ++p;
      if (!*p) {
        status = kElseWithoutValue;
        return 0;
      }
    } else {
      ++p;
    }
  }
  return 1;
}

// ---------------------------------------------------------------- Var

Var::Var(Sec* sec, Var* prev) : sec(sec), prev(prev) {
  objKind = 4;
  status = kOk;
  fd = sec ? sec->fd : -1;
  missing = MISSING;
  dflt = DEFAULT;
  notAppl = NOTAPPL;
  if (prev) prev->next = this;
}

Var::Var(const Var& other) : Obj(other), PClass(other) { CopyFrom(other); }

Var& Var::operator=(const Var& other) {
  if (this != &other) {
    Release();
    Obj::operator=(other);
    CopyFrom(other);
  }
  return *this;
}

Var::~Var() { Release(); }

void Var::Release() {
  delete cats;
  delete tras;
  delete labels;
  cats = tras = nullptr;
  labels = nullptr;
}

// A new owning list with copies of the T objects of from (null when from is).
template <class T>
static Lst* CopyOwned(const Lst* from) {
  Lst* list = from ? NewList(true) : nullptr;
  for (uint16_t i = 0; list && i < from->count; ++i) {
    Nod* node = from->NodeAt(i);
    T* copy = new (std::nothrow) T(*static_cast<const T*>(node->obj));
    if (copy && !list->Put(node->name, copy)) delete copy;
  }
  return list;
}

void Var::CopyFrom(const Var& other) {
  varType = other.varType;
  decimals = other.decimals;
  fd = other.fd;
  varIndex = other.varIndex;
  sec = other.sec;
  start = other.start;
  len = other.len;
  zeroFill = other.zeroFill;
  std::memcpy(name, other.name, sizeof name);
  std::memcpy(formName, other.formName, sizeof formName);
  nOcc = other.nOcc;
  varKind = other.varKind;
  key = other.key;
  cats = CopyOwned<Rng>(other.cats);
  tras = CopyOwned<Tra>(other.tras);
  missing = other.missing;
  dflt = other.dflt;
  notAppl = other.notAppl;
  fieldMode = other.fieldMode;
  attrByte = other.attrByte;
  formRow = other.formRow;
  formCol = other.formCol;
  labels = other.labels ? new (std::nothrow) Lab(*other.labels) : nullptr;
  frm = other.frm;
  next = other.next;
  prev = other.prev;
  nCells = other.nCells;
}

bool Var::IsSingle() const { return varKind == 'S' && (!sec || sec->secKind == 'S'); }

static char FieldModeOf(unsigned char byte) {
  switch (byte) {
    case 0: return 'A';
    case 1: return 'R';
    case 9: return 'P';
    default: return ' ';
  }
}

short Var::Load() {
  if (!sec || !sec->dic || !sec->vars) return Fail(kNoSection);
  Dic* dic = sec->dic;
  filePos = Tell(fd);
  unsigned char r[96];
  if (ReadFull(fd, r, 64) < 64) return Fail(kReadFailed);
  bool extended = r[61] == 'Y';
  if (extended && ReadFull(fd, r + 64, 32) < 32) return Fail(kReadFailed);

  FixedTextTo(name, r + 2, 8);
  FixedTextTo(formName, r + 24, 8);
  if (!sec->vars->Put(name, this)) return Fail(kNoMemory);
  if (!dic->vars || !dic->vars->Put(name, this)) return Fail(kNoMemory);

  missing = GetDouble(r + 32);
  notAppl = GetDouble(r + 40);
  dflt = GetDouble(r + 48);
  formRow = r[56];
  formCol = r[57];
  start = static_cast<int16_t>(GetI16(r + 12) + dic->GetExtraLen());
  len = r[14] != 0 ? r[14] : extended ? GetI16(r + 68) : 0;
  varType = static_cast<char>(r[10]);
  decimals = r[15];
  zeroFill = r[1] == 'Y' ? 1 : 0;
  varKind = static_cast<char>(r[11]);

  if (varKind != 'S') {
    if (!sec->grp) return Fail(Sec::kNoGroup);
    nOcc = static_cast<int16_t>(sec->grp->nOcc);
    if (!sec->grp->vars->Put(name, this)) return Fail(kNoMemory);
  } else {
    nOcc = sec->secKind == 'M' && sec->occ ? static_cast<int16_t>(TruncInt(sec->occ->hi)) : 1;
  }
  attrByte = r[59];
  fieldMode = FieldModeOf(r[58]);

  if (r[60] >= 1 && r[60] <= 3 && !LoadTransformations(r[60])) return 0;

  int labelBlocks = GetI16(r + 18);
  labels = new (std::nothrow) Lab(fd, labelBlocks, labelBlocks != 0 ? CurrentBlock(fd) : -1);
  if (!labels) return Fail(kNoMemory);
  if (!SkipBlocks(fd, labelBlocks)) return Fail(kSeekFailed);

  int rangeBlocks = GetI16(r + 20);
  if (rangeBlocks > 0 && !LoadRanges(GetI16(r + 16), rangeBlocks)) return 0;

  int extraBlocks = GetI16(r + 22);
  if (extraBlocks > 0 && !SkipBlocks(fd, extraBlocks)) return Fail(kSeekFailed);
  return 1;
}

short Var::LoadTransformations(int blocks) {
  tras = NewList(true);
  if (!tras) return Fail(kNoMemory);
  unsigned char raw[3 * kBlock];
  const int bytesRead = blocks * kBlock;
  if (ReadFull(fd, raw, bytesRead) < bytesRead) return Fail(kReadFailed);
  // The text ends at a NUL, at 64 bytes, or with the blocks read: a blank-padded block has
  // no NUL, and the buffer beyond it holds nothing of the file.
  const int textLimit = std::min(64, bytesRead);
  char source[65];
  int n = 0;
  while (n < textLimit && raw[n] != 0) {
    source[n] = static_cast<char>(raw[n]);
    ++n;
  }
  source[n] = '\0';
  Tra parser;
  if (!parser.Save(tras, source)) return Fail(kBadTransformation);
  return 1;
}

// Ranges are (low, high) pairs of doubles, two to a block; rangeCount says how many of
// the doubles are used. Blocks past the last range are passed over so the next record
// is read where it starts, and ranges the count claims beyond the blocks are not read.
short Var::LoadRanges(int rangeCount, int blocks) {
  cats = NewList(true);
  if (!cats) return Fail(kNoMemory);
  int doubles = 2 * rangeCount;
  int blocksRead = 0;
  while (blocksRead < blocks && doubles > 0) {
    unsigned char block[kBlock];
    if (ReadFull(fd, block, kBlock) < kBlock) return Fail(kReadFailed);
    ++blocksRead;
    double lo = 0;
    for (int i = 0; i < 4 && doubles > 0; ++i, --doubles) {
      double value = GetDouble(block + 8 * i);
      if (i % 2 == 0) {
        lo = value;
        continue;
      }
      Rng* range = new (std::nothrow) Rng(lo, value);
      if (!range || !cats->Put(i == 1 ? "UNO" : "TRES", range)) {
        delete range;
        return Fail(kNoMemory);
      }
    }
  }
  if (blocksRead < blocks && !SkipBlocks(fd, blocks - blocksRead)) return Fail(kSeekFailed);
  return 1;
}

void Var::CalculateNcells() {
  int64_t cells = nCells;
  if (cats && cats->count > 0) {
    for (uint16_t i = 0; i < cats->count; ++i) {
      const Rng* range = static_cast<const Rng*>((*cats)[i]);
      cells += TruncInt(range->hi - range->lo + 1);
    }
    nCells = TruncInt(static_cast<double>(cells));
  } else {
    nCells = TruncInt(std::pow(10.0, len));
  }
}

int32_t Var::GetCatValue(int index) {
  if (!cats || cats->count == 0) return index;
  int64_t left = index;
  for (uint16_t i = 0; i < cats->count; ++i) {
    const Rng* range = static_cast<const Rng*>((*cats)[i]);
    int64_t n = TruncInt(range->hi - range->lo + 1);
    if (left < n) return TruncInt(static_cast<double>(TruncInt(range->lo) + left));
    left -= n;
  }
  return -1;
}

char* Var::GetVarLabel(char* dst) {
  if (labels && labels->text)
    labels->GetLabel(dst, labels->text + 2, 60);
  else
    std::strcpy(dst, name);
  return TrimBlanks(dst);
}

char* Var::GetCatLabel(const char* code, char* dst) {
  if (!labels || !labels->text) return nullptr;
  if (dst != code) std::strcpy(dst, code);
  char wanted[6];
  std::strncpy(wanted, code, 5);
  wanted[5] = '\0';
  TrimBlanks(wanted);

  char line[61];
  const char* cursor = labels->GetLabel(line, labels->text + 2, 60);
  for (int pair = 0; pair < 1000 && cursor; ++pair) {
    char value[6];
    cursor = labels->GetLabel(value, cursor, 5);
    if (!cursor) break;
    cursor = labels->GetLabel(line, cursor, 60);
    TrimBlanks(value);
    TrimBlanks(line);
    if (!value[0] && !line[0]) break;
    if (std::strcmp(value, wanted) == 0) {
      std::strcpy(dst, line);
      break;
    }
  }
  return TrimBlanks(dst);
}
