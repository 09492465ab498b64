#pragma once
// The texts the VESK conversion takes from the VESK model: label lines, names and the code
// page of the texts. Every label and screen text of a VESK file passes through OemToAnsi
// before it reaches a Travo object.
#include "libs/util/VornString.h"
#include "vesk/Vesk.h"

namespace veskconv {

// A variable made up by the converter for identification columns that no variable
// covers. Its name may be longer than a VESK name (LEVEL1ID_12) and reaches the item whole.
class VarObject : public Var {
 public:
  VarObject(const CString& name, int start, int len);
  CString m_sName;
};

// Null out gives null. Loads the label text; the first line, blank-padded to width, goes to
// out (width + 1 bytes). Returns the cursor of the next line, null without text.
char* ReadFirstLabel(Lab* lab, char* out, int width);
// An OEM code page text of a VESK file into the host code page.
void OemToAnsi(CString& s);
// The label of a section or variable: its first label line cut to width, without trailing
// blanks, in the host code page; the name when that is blank. The dictionary and its forms
// file take theirs from the header's first label line (width 30).
CString LabelOrName(Lab* lab, int width, const CString& name);
// The name a variable gives its item (a VarObject's whole name).
CString VarName(const Var* var);
// The name of the dictionary a variable belongs to, empty when it has none.
CString DicNameOf(const Var* var);

}  // namespace veskconv
