#include "vesk/Sec.h"

#include <new>

#include "vesk/Dic.h"
#include "vesk/Lab.h"
#include "vesk/Var.h"
#include "vesk/VeskFile.h"

using namespace vesk;

void Grp::GLen() {
  start = 0;
  len = 0;
  if (!vars) return;
  bool inRun = false;
  for (uint16_t i = 0; i < vars->count; ++i) {
    const Var* var = static_cast<const Var*>((*vars)[i]);
    if (var->varKind == 'M') {
      if (!inRun) start = var->start;
      inRun = true;
      len = static_cast<int16_t>(len + var->len);
    } else if (inRun) {
      break;
    }
  }
}

Sec::Sec(Dic* dic, Sec* prev) : dic(dic), prev(prev) {
  objKind = 2;
  status = kOk;
  fd = dic ? dic->fd : -1;
  if (prev) prev->next = this;
}

Sec::Sec(const Sec& other) : Obj(other), PClass(other) { CopyFrom(other); }

Sec& Sec::operator=(const Sec& other) {
  if (this != &other) {
    Release();
    Obj::operator=(other);
    CopyFrom(other);
  }
  return *this;
}

Sec::~Sec() { Release(); }

void Sec::Release() {
  if (grp) delete grp->vars;
  delete grp;
  delete vars;
  delete forms;
  delete occ;
  delete labels;
  grp = nullptr;
  vars = forms = nullptr;
  occ = nullptr;
  labels = nullptr;
}

void Sec::CopyFrom(const Sec& other) {
  fd = other.fd;
  secIndex = other.secIndex;
  dic = other.dic;
  name = other.name;
  for (int i = 0; i < 4; ++i) code[i] = other.code[i];
  secKind = other.secKind;
  grp = other.grp ? new (std::nothrow) Grp(*other.grp) : nullptr;
  if (grp) grp->vars = CopyEntries(other.grp->vars, false);
  vars = CopyEntries(other.vars, false);
  forms = CopyEntries(other.forms, false);
  occ = other.occ ? new (std::nothrow) Rng(*other.occ) : nullptr;
  level = other.level;
  labels = other.labels ? new (std::nothrow) Lab(*other.labels) : nullptr;
  next = other.next;
  prev = other.prev;
}

short Sec::Load() {
  if (!dic) return Fail(kReadFailed);
  filePos = Tell(fd);
  unsigned char r[32];
  if (ReadFull(fd, r, sizeof r) < static_cast<int>(sizeof r)) return Fail(kReadFailed);
  name = FixedText(r + 2, 8);
  if (!dic->secs || !dic->secs->Put(name, this)) return Fail(kNoMemory);

  unsigned char levelByte = r[1];
  if (dic->GetDicType() == Dic_eWorkDict) {
    CString generated = dic->GenerateSecCode();
    code[0] = generated[0];
    code[1] = generated[1];
    code[2] = ' ';
    levelByte = '1';
  } else if (dic->recTypeLen > 0) {
    code[0] = static_cast<char>(r[10]);
    code[1] = static_cast<char>(r[11]);
    code[2] = static_cast<char>(r[26]);
  }
  code[3] = '\0';
  level = levelByte >= '0' && levelByte <= '9' ? levelByte - '0' : -1;
  if (level < 1) return Fail(kReadFailed);

  occ = new (std::nothrow) Rng(r[12], r[13]);
  if (!occ) return Fail(kNoMemory);
  secKind = occ->hi <= 1 ? 'S' : 'M';
  if (r[19] >= 2) {
    grp = new (std::nothrow) Grp(this);
    if (!grp || !(grp->vars = NewList(false))) return Fail(kNoMemory);
    grp->nOcc = r[19];
  }

  int labelBlocks = GetI16(r + 22);
  labels = new (std::nothrow) Lab(fd, labelBlocks, labelBlocks != 0 ? CurrentBlock(fd) : -1);
  if (!labels) return Fail(kNoMemory);
  if (!SkipBlocks(fd, labelBlocks)) return Fail(kSeekFailed);
  int extraBlocks = GetI16(r + 24);
  if (extraBlocks > 0 && !SkipBlocks(fd, extraBlocks)) return Fail(kSeekFailed);

  vars = NewList(true);
  forms = NewList(true);
  if (!vars || !forms) return Fail(kNoMemory);
  return 1;
}

int32_t Sec::CalcSecLen() {
  if (!vars || vars->count == 0) {
    status = kNoVars;
    return -1;
  }
  const Var* last = static_cast<const Var*>((*vars)[vars->count - 1]);
  int32_t length;
  if (last->varKind == 'S') {
    length = last->start + last->len - 1;
  } else {
    if (!grp) {
      status = kNoGroup;
      return -1;
    }
    grp->GLen();
    length = grp->start + grp->nOcc * grp->len - 1;
  }
  if (length >= 10000) {
    status = kTooLong;
    return -1;
  }
  return length;
}
