#pragma once
// Frm: a data-entry form of a section: a screen of text with bracketed input fields,
// and the row/column offsets of the occurrences of its repeating fields.
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include "vesk/Lst.h"

class Sec;

// The form record with its width composed into a 16-bit field at offset 22.
struct EXTFORM {
  unsigned char bytes[32];
};

// One field occurrence placed on a form's screen (Frm::DoHtmlVars).
struct HTML_VAR {
  int16_t varPos;   // position of the variable in the form's vars
  int16_t occNo;    // 0 for a field that occurs once, else 1, 2, ...
  int32_t sortKey;  // order in which the fields are placed
  int16_t row;      // screen line, 0-based
  int16_t col;      // screen column, 0-based
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

  // Printing (vesk/Print.cpp). The dump of the form: its name, its screen text with the
  // fields blanked and its variables with their rows and columns; the text is freed after.
  void Print(FILE* stream);
  void Print(std::ostream& out);
  // The form's field occurrences, nFields entries sorted by sortKey (mode 1: line and
  // column; 2: as filled; else occurrence by occurrence). Released with free(). Null when
  // the form has no variables or fields, a repeating variable needs more entries than
  // nFields, a repeating field has no occurrence offsets, or memory runs out.
  HTML_VAR* DoHtmlVars(int mode);
  // Writes the form's HTML page to path (the page name of PageFileName when null), or an
  // error page when the form cannot be shown, through a temporary file renamed at the end.
  // False, with a sentence in error when given, when the page cannot be written.
  bool PrintWWW(const char* path, std::string* error = nullptr);
  // The name of the form's page, the target of the BACK and NEXT links of its neighbours:
  // the form name in UTF-8, a '/' made '_', followed by ".HTM".
  std::string PageFileName() const;

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

 private:
  void Transform(const unsigned char* rec, EXTFORM* out);
  std::string WWWPage();
  void PrintWWWLinks(std::string& page);
  short LoadCells(int blocks);
  size_t TextCapacity() const;
  void CopyFrom(const Frm& other);
  short Fail(uint16_t code) {
    status = code;
    return 0;
  }

  size_t textSize_ = 0;  // bytes allocated for text
};
