#pragma once
// VESK screens into pixel layout. A VESK form is a character screen; a column is 10 pixels
// wide (800 pixels for 80 columns, whatever the real screen) and a line 22 pixels high.
// Its text becomes text items, its fields are placed at their row and column, and a form
// grows to hold everything put on it.
#include "libs/forms/FormFile.h"
#include "vesk/Vesk.h"

namespace veskconv {
constexpr int kLineHeight = 22;
constexpr int kFormMargin = 20;  // a form reaches this far beyond every item on it
}  // namespace veskconv

// One per conversion: it keeps the field cell of the forms file's default field font and
// numbers the text items it makes, FT000000 first.
class VeskFormLayout {
 public:
  // Takes the field cell from the default field font of formFile.
  void MeasureFonts(const CDEFormFile* formFile);
  CSize FieldCell() const { return m_sizeFieldCell; }

  static int ColumnToX(int column);
  // Grows form (from 0,0) to reach at least x, y.
  static void GrowForm(CDEForm* form, int x, int y);
  // Sizes a field for the characters of its item, and its label text; true when anything
  // changed. A field without an item, or with an item of no length, keeps its size.
  bool SizeField(CDEField* field) const;
  // Sizes a text for its text in its font; true when anything changed.
  static bool SizeText(CDEText* text);
  // The text items of a form's screen text, in font, added to form.
  void MakeFormTexts(CDEForm* form, Frm* frm, const LOGFONT& font);

 private:
  CString NextTextName();

  CSize m_sizeFieldCell;  // the extent of "9" in the default field font
  int m_nextTextNumber = 0;
};
