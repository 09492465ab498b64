#pragma once
// Frm: a data-entry form of a section: a screen of text with bracketed input fields,
// and the row/column offsets of the occurrences of its repeating fields.
#include <cstdint>

#include "vesk/Lst.h"

class Sec;

// The form record with its width composed into a 16-bit field at offset 22.
struct EXTFORM {
  unsigned char bytes[32];
};

class Frm : public Obj, public PClass {
 public:
  enum : uint16_t {
    kOk = 6000,
    kReadFailed = 6011,
    kSeekFailed = 6021,
    kNoMemory = 6034,
    kNotOpen = 6041,
    kTextCut = 6051,    // Read: the text did not fit its buffer; the lines that fit are kept
    kNoSection = 6063,  // a form record before any section record
  };

  Frm(Sec* sec, Frm* prev, Frm* prevInSec);
  // A copy has its own text, cells and variable list (same variables).
  Frm(const Frm& other);
  Frm& operator=(const Frm& other);
  ~Frm() override;

  short Load() override;
  // The screen text, lines ended by newlines, tabs expanded; with blankFields set every
  // bracketed field is blanked. Null on failure.
  char* Read(int blankFields);
  void FreeBuf();
  // Occurrence offset entry k (row offset in the high byte, column in the low), 0 when
  // there are no cells or k lies outside them.
  uint16_t GetCell(int k) const { return cells && k >= 0 && k < nCellEntries ? cells[k] : 0; }

  int16_t fd = -1;
  CString name;
  uint16_t attr10 = 0, attr11 = 0, attr20 = 0;
  int32_t width = 80;
  int32_t nLines = 0;
  int32_t nFields = 0;
  int32_t textBlocks = 0;
  int32_t textStart = 0;
  Lst* vars = nullptr;
  char* text = nullptr;
  uint16_t* cells = nullptr;
  int32_t nCellEntries = 0;  // entries allocated in cells
  Sec* sec = nullptr;
  Frm* nextInSec = nullptr;
  Frm* prevInSec = nullptr;
  Frm* next = nullptr;
  Frm* prev = nullptr;
  void* deForm = nullptr;

 private:
  void Transform(const unsigned char* rec, EXTFORM* out);
  short LoadCells(int blocks);
  size_t TextCapacity() const;
  void CopyFrom(const Frm& other);
  short Fail(uint16_t code) {
    status = code;
    return 0;
  }

  size_t textSize_ = 0;  // bytes allocated for text
};
