#include "veskconv/VeskFormLayout.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "libs/forms/TextMeasure.h"
#include "libs/util/TextTools.h"
#include "veskconv/VeskText.h"

namespace {

using veskconv::kFormMargin;
using veskconv::kLineHeight;

constexpr int kTabWidth = 8;

// Tabs to blanks up to the next multiple of 8 columns, and the box-drawing characters of
// the OEM code page (0xB0 to 0xDF) to blanks: what is left is the screen's words.
std::string ScreenWords(const std::string& line) {
  std::string out;
  out.reserve(line.size());
  for (char c : line) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\t') {
      out.append(kTabWidth - out.size() % kTabWidth, ' ');
    } else {
      out += byte >= 0xB0 && byte <= 0xDF ? ' ' : c;
    }
  }
  return out;
}

bool ResizeTo(CDEFormBase& item, const CRect& wanted) {
  if (item.GetDims() == wanted) return false;
  item.SetDims(wanted);
  return true;
}

}  // namespace

int VeskFormLayout::ColumnToX(int column) { return static_cast<int>(800 / 80.0 * column); }

// FT000000, FT000001, ...: the texts of one forms file never share a name.
CString VeskFormLayout::NextTextName() {
  CString name;
  name.Format("FT%06d", m_nextTextNumber++);
  return name;
}

void VeskFormLayout::MeasureFonts(const CDEFormFile* formFile) {
  m_sizeFieldCell = CurrentTextMeasurer().GetTextExtent(formFile->GetDefFldLF(), "9");
}

void VeskFormLayout::GrowForm(CDEForm* form, int x, int y) {
  form->SetDims(0, 0, std::max(form->GetX2(), x), std::max(form->GetY2(), y));
}

bool VeskFormLayout::SizeField(CDEField* field) const {
  const CDictItem* item = field->GetDictItem();
  if (!item || item->GetLen() == 0) return false;
  int chars = item->GetLen();
  // Room for the decimal point that the entry screen shows.
  if (!item->GetDecChar() && item->GetDecimal() != 0) ++chars;
  const CSize box = FieldBoxSize(chars, m_sizeFieldCell);
  const CRect r = field->GetDims();
  bool changed = ResizeTo(*field, CRect(r.left, r.top, r.left + box.cx, r.top + box.cy));
  if (!field->GetText().IsEmpty()) {
    CDEText* text = field->GetDETextPtr();
    const CSize extent = CurrentTextMeasurer().GetTextExtent(text->GetLogFont(), field->GetLabel());
    const CRect t = text->GetDims();
    changed = ResizeTo(*text, CRect(t.left, t.top, t.left + extent.cx, t.top + extent.cy)) || changed;
  }
  return changed;
}

bool VeskFormLayout::SizeText(CDEText* text) {
  if (text->GetLabel().IsEmpty()) return false;
  const CSize extent = CurrentTextMeasurer().GetTextExtent(text->GetLogFont(), text->GetLabel());
  const CRect r = text->GetDims();
  return ResizeTo(*text, CRect(r.left, r.top, r.left + extent.cx, r.top + extent.cy));
}

// Lines are split and measured in OEM bytes, one column each, and only the pieces are
// converted, so that a character that takes several bytes in UTF-8 keeps its column.
// Lines of any length are kept whole.
void VeskFormLayout::MakeFormTexts(CDEForm* form, Frm* frm, const LOGFONT& font) {
  const char* screen = frm->Read(1);
  if (!screen) return;
  const std::string all = screen;
  frm->FreeBuf();
  size_t lineStart = 0;
  for (int lineNo = 0;; ++lineNo) {
    size_t newline = all.find('\n', lineStart);
    if (newline == std::string::npos) newline = all.size();
    std::string line = ScreenWords(all.substr(lineStart, newline - lineStart));
    // Trimmed at both ends; lead is how many blanks the start lost.
    strtrimright(line.data(), ' ');
    const size_t full = std::strlen(line.c_str());
    strtrimleft(line.data(), ' ');
    const size_t lead = full - std::strlen(line.c_str());
    // Pieces are cut at runs of two or more blanks; a single blank stays inside a piece.
    char* context = nullptr;
    int offset = 0;
    for (char* piece = strgetparagraph(line.data(), ' ', 2, &context, &offset); piece;
         piece = strgetparagraph(nullptr, ' ', 2, &context, &offset)) {
      CString text = piece;
      veskconv::OemToAnsi(text);
      auto* item = new CDEText;
      item->SetLogfont(font);
      item->SetName(NextTextName());
      item->SetText(text);
      const size_t column = std::min<size_t>(lead + static_cast<size_t>(offset), 100000);
      item->SetDims(ColumnToX(static_cast<int>(column)), kLineHeight * lineNo, 0, 0);
      SizeText(item);
      const CRect r = item->GetDims();
      GrowForm(form, r.right + kFormMargin, r.bottom + kFormMargin);
      form->AddItem(item);
    }
    if (newline >= all.size()) break;
    lineStart = newline + 1;
  }
}
