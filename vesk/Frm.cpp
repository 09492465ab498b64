#include "vesk/Frm.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "vesk/Dic.h"
#include "vesk/Sec.h"
#include "vesk/Var.h"
#include "vesk/VeskFile.h"

using namespace vesk;

Frm::Frm(Sec* sec, Frm* prev, Frm* prevInSec) : sec(sec), prevInSec(prevInSec), prev(prev) {
  objKind = 3;
  status = kOk;
  fd = sec && sec->dic ? sec->dic->fd : -1;
  vars = NewList(false);
  if (!vars) status = kNoMemory;
  if (prev) prev->next = this;
  if (prevInSec) prevInSec->nextInSec = this;
}

Frm::Frm(const Frm& other) : Obj(other), PClass(other) { CopyFrom(other); }

Frm& Frm::operator=(const Frm& other) {
  if (this != &other) {
    FreeBuf();
    delete vars;
    delete[] cells;
    Obj::operator=(other);
    CopyFrom(other);
  }
  return *this;
}

Frm::~Frm() {
  FreeBuf();
  delete vars;
  delete[] cells;
}

void Frm::CopyFrom(const Frm& other) {
  fd = other.fd;
  name = other.name;
  attr10 = other.attr10;
  attr11 = other.attr11;
  attr20 = other.attr20;
  width = other.width;
  nLines = other.nLines;
  nFields = other.nFields;
  textBlocks = other.textBlocks;
  textStart = other.textStart;
  vars = CopyEntries(other.vars, false);
  text = nullptr;
  textSize_ = 0;
  if (other.text && (text = new (std::nothrow) char[other.textSize_])) {
    std::memcpy(text, other.text, other.textSize_);
    textSize_ = other.textSize_;
  }
  cells = nullptr;
  nCellEntries = 0;
  if (other.cells && (cells = new (std::nothrow) uint16_t[other.nCellEntries])) {
    std::copy(other.cells, other.cells + other.nCellEntries, cells);
    nCellEntries = other.nCellEntries;
  }
  sec = other.sec;
  nextInSec = other.nextInSec;
  prevInSec = other.prevInSec;
  next = other.next;
  prev = other.prev;
}

void Frm::Transform(const unsigned char* rec, EXTFORM* out) {
  std::memcpy(out->bytes, rec, sizeof out->bytes);
  int composed = 256 * static_cast<signed char>(rec[22]) + static_cast<signed char>(rec[21]);
  if (composed < 0 || composed > 254) composed = 80;
  PutU16(out->bytes + 22, static_cast<uint16_t>(composed));
}

short Frm::Load() {
  if (!sec || !sec->dic || !sec->forms) return Fail(kNoSection);
  Dic* dic = sec->dic;
  filePos = Tell(fd);
  unsigned char r[kBlock];
  if (ReadFull(fd, r, kBlock) < kBlock) return Fail(kReadFailed);
  EXTFORM record;
  Transform(r, &record);
  const unsigned char* b = record.bytes;
  name = FixedText(b + 2, 8);
  if (!sec->forms->Put(name, this)) return Fail(kNoMemory);
  if (!dic->forms || !dic->forms->Put(name, this)) return Fail(kNoMemory);

  attr10 = b[10];
  attr11 = b[11];
  attr20 = b[20];
  width = GetI16(b + 22);
  nLines = GetI16(b + 16);
  nFields = GetI16(b + 18);
  textBlocks = GetI16(b + 12);
  if (textBlocks != 0) {
    textStart = CurrentBlock(fd);
    if (!SkipBlocks(fd, textBlocks)) return Fail(kSeekFailed);
  }
  int cellBlocks = GetI16(b + 14);
  if (cellBlocks != 0 && !LoadCells(cellBlocks)) return 0;
  return 1;
}

// The occurrence offsets: n + 4 entries for the n occurrences of the section's group (or
// of the section), of which at most n + 2 are filled; every block is consumed.
short Frm::LoadCells(int blocks) {
  if (blocks < 0) return Fail(kSeekFailed);
  int n = sec->grp ? sec->grp->nOcc : sec->occ ? TruncInt(sec->occ->hi) : 0;
  delete[] cells;
  nCellEntries = 0;
  cells = new (std::nothrow) uint16_t[n + 4]();
  if (!cells) return Fail(kNoMemory);
  nCellEntries = n + 4;
  int filled = 0;
  for (int i = 0; i < blocks; ++i) {
    unsigned char block[kBlock];
    int got = ReadFull(fd, block, kBlock);
    for (int e = 0; e + 1 < got && filled < n + 2; e += 2) cells[filled++] = GetU16(block + e);
    if (got < kBlock) break;
  }
  return 1;
}

// The room Read gives the text: the design's (lines + 1) * width * 8 + 2 bytes, but never
// more than the text blocks can fill once every byte is a tab expanded to 8 blanks.
size_t Frm::TextCapacity() const {
  size_t lines = static_cast<size_t>(std::max(nLines, 0)) + 1;
  size_t columns = static_cast<size_t>(std::max(width, 0));
  size_t designed = lines * columns * 8 + 2;
  size_t fillable = static_cast<size_t>(std::max(textBlocks, 0)) * kBlock * 8 + 2;
  return std::min(designed, fillable);
}

namespace {

// Appends line with tabs expanded to the next multiple of 8 and a newline, when it fits
// in capacity bytes together with the closing NUL.
bool AppendExpandedLine(const std::string& line, char* text, size_t capacity, size_t& used) {
  size_t expanded = 0;
  for (char c : line) expanded = c == '\t' ? (expanded / 8 + 1) * 8 : expanded + 1;
  if (used + expanded + 2 > capacity) return false;
  size_t column = 0;
  for (char c : line) {
    if (c == '\t') {
      do text[used + column++] = ' ';
      while (column % 8 != 0);
    } else {
      text[used + column++] = c;
    }
  }
  used += expanded;
  text[used++] = '\n';
  text[used] = '\0';
  return true;
}

void BlankFields(char* text) {
  bool inField = false;
  for (char* p = text; *p; ++p) {
    if (*p == '[') {
      inField = true;
      *p = ' ';
    } else if (*p == ']') {
      inField = false;
      *p = ' ';
    } else if (inField && *p != '\n') {
      *p = ' ';  // newlines stay so the layout of the screen does not change
    }
  }
}

}  // namespace

char* Frm::Read(int blankFields) {
  if (fd < 0) {
    Fail(kNotOpen);
    return nullptr;
  }
  size_t capacity = TextCapacity();
  if (!text) {
    text = new (std::nothrow) char[capacity]();
    if (!text) {
      Fail(kNoMemory);
      return nullptr;
    }
    textSize_ = capacity;
  } else {
    capacity = textSize_;
    std::memset(text, 0, textSize_);
  }
  if (!SeekTo(fd, static_cast<int64_t>(textStart) * kBlock)) {
    FreeBuf();
    Fail(kSeekFailed);
    return nullptr;
  }
  std::string line;
  size_t used = 0;
  bool cut = false;
  for (int b = 0; b < textBlocks && !cut; ++b) {
    unsigned char block[kBlock];
    if (ReadFull(fd, block, kBlock) < kBlock) {
      FreeBuf();
      Fail(kReadFailed);
      return nullptr;
    }
    for (int i = 0; i < kBlock && block[i] != 0 && !cut; ++i) {
      if (block[i] != '\n') {
        line += static_cast<char>(block[i]);
        continue;
      }
      cut = !AppendExpandedLine(line, text, capacity, used);
      line.clear();
    }
  }
  if (cut) status = kTextCut;
  if (blankFields) BlankFields(text);
  return text;
}

void Frm::FreeBuf() {
  delete[] text;
  text = nullptr;
  textSize_ = 0;
}
