#include "app/cli/Preview.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "libs/forms/FormFile.h"
#include "libs/util/SafeFile.h"
#include "libs/util/TextTools.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMargin = 10;          // around the form's own rectangle
constexpr int kMaxRosterRows = 100;  // rows drawn for one roster; more are summed up
constexpr int kMaxExtent = 100000;   // no picture is larger than this, whatever a file says

// A text as it may stand in an XML document: UTF-8, markup characters escaped, control
// characters as blanks.
std::string Xml(std::string_view text) {
  std::string out;
  for (char c : ValidUtf8(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
  }
  return out;
}

int Clamp(int v) { return std::clamp(v, -kMaxExtent, kMaxExtent); }

// The bottom-right corner of everything drawn, grown as items are drawn.
struct Extent {
  int right = 0;
  int bottom = 0;
  void Hold(const CRect& r) {
    right = std::max(right, Clamp(r.right));
    bottom = std::max(bottom, Clamp(r.bottom));
  }
};

// Texts are placed by their baselines, the top of their line plus the font's ascent as the
// measurer that laid them out gives it: every SVG renderer honours a baseline, not all of
// them an alignment to the top of the text.
class SvgWriter {
 public:
  explicit SvgWriter(ITextMeasurer& measurer) : measurer_(measurer) {}

  // text in font, the top left corner of its line at r's; attributes go into the element.
  void Text(const CRect& r, const LOGFONT& font, std::string_view text, std::string_view attributes = "") {
    if (text.empty()) return;
    const int baseline = Clamp(r.top) + std::clamp(measurer_.GetAscent(font), 0, kMaxExtent);
    body_ += "<text x=\"" + std::to_string(Clamp(r.left)) + "\" y=\"" + std::to_string(baseline) +
             "\" font-family=\"" + Xml(font.lfFaceName) + ", DejaVu Sans, sans-serif\" font-size=\"" +
             std::to_string(std::min(FontPixelHeight(font), 1000)) + "px\" font-weight=\"" +
             std::to_string(std::clamp(font.lfWeight, 100, 900)) + "\"" +
             (font.lfItalic ? " font-style=\"italic\"" : "") + std::string(attributes) + ">" + Xml(text) + "</text>\n";
    extent_.Hold(CRect(r.left, r.top, std::max(r.right, r.left + 1), std::max(r.bottom, r.top + 1)));
  }
  void Box(const CRect& r, const char* fill, const char* stroke) {
    const int w = std::max(1, Clamp(r.right) - Clamp(r.left));
    const int h = std::max(1, Clamp(r.bottom) - Clamp(r.top));
    body_ += "<rect x=\"" + std::to_string(Clamp(r.left)) + "\" y=\"" + std::to_string(Clamp(r.top)) +
             "\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" fill=\"" + fill +
             "\" stroke=\"" + stroke + "\"/>\n";
    extent_.Hold(CRect(r.left, r.top, Clamp(r.left) + w, Clamp(r.top) + h));
  }
  // The preview's own remark, grey in the forms' default font, its line's top at (x, top).
  void Note(int x, int top, const std::string& text) {
    const LOGFONT font = DefaultFormFont();
    const CSize size = measurer_.GetTextExtent(font, text);
    Text(CRect(x, top, x + size.cx, top + size.cy), font, text, " fill=\"#777\"");
  }
  std::string Document(const CRect& form) {
    extent_.Hold(form);
    const int width = extent_.right + kMargin;
    const int height = extent_.bottom + kMargin;
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) + "\" height=\"" +
           std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) + " " + std::to_string(height) +
           "\">\n<rect x=\"0\" y=\"0\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
           "\" fill=\"#ffffff\"/>\n<rect x=\"0.5\" y=\"0.5\" width=\"" + std::to_string(std::max(1, form.Width())) +
           "\" height=\"" + std::to_string(std::max(1, form.Height())) +
           "\" fill=\"#f7f7f2\" stroke=\"#c8c8c0\"/>\n" + body_ + "</svg>\n";
  }

 private:
  ITextMeasurer& measurer_;
  std::string body_;
  Extent extent_;
};

// A field's own label, where it has a place of its own: fields placed at a screen position
// have their labels among the form's texts.
void DrawFieldLabel(SvgWriter& svg, const CDEField& field) {
  const CRect t = field.GetTextDims();
  if (t.left != 0 || t.top != 0) svg.Text(t, field.GetDETextPtr()->GetLogFont(), field.GetLabel());
}

void DrawField(SvgWriter& svg, const CDEField& field) {
  svg.Box(field.GetDims(), field.IsProtected() ? "#e6e6e6" : "#ffffff", "#4a5a7a");
  DrawFieldLabel(svg, field);
}

void DrawItem(SvgWriter& svg, const CDEItemBase& item);

// A roster as a grid: its columns are its fields, each with its heading, repeated for
// every row the roster may hold.
void DrawRoster(SvgWriter& svg, const CDERoster2& roster) {
  const int rows = std::max(1, roster.GetMaxLoops());
  const int drawn = std::min(rows, kMaxRosterRows);
  int bottom = 0, left = kMaxExtent;
  for (int i = 0; i < roster.GetNumItems(); ++i) {
    const CDEItemBase* item = roster.GetItem(i);
    if (item->GetItemType() != CDEFormBase::Field) {
      DrawItem(svg, *item);
      continue;
    }
    const auto& field = static_cast<const CDEField&>(*item);
    DrawFieldLabel(svg, field);
    const CRect r = field.GetDims();
    const int pitch = RosterRowHeight(field);
    for (int row = 0; row < drawn; ++row) {
      const CRect cell(r.left, r.top + row * pitch, r.right, r.bottom + row * pitch);
      svg.Box(cell, field.IsProtected() ? "#e6e6e6" : "#ffffff", "#4a5a7a");
      bottom = std::max(bottom, cell.bottom);
    }
    left = std::min(left, r.left);
  }
  if (drawn < rows && left < kMaxExtent)
    svg.Note(left, bottom + 4, "... " + std::to_string(rows - drawn) + " more rows");
}

void DrawItem(SvgWriter& svg, const CDEItemBase& item) {
  switch (item.GetItemType()) {
    case CDEFormBase::Text: {
      const auto& text = static_cast<const CDEText&>(item);
      svg.Text(text.GetDims(), text.GetLogFont(), text.GetText());
      break;
    }
    case CDEFormBase::Field:
      DrawField(svg, static_cast<const CDEField&>(item));
      break;
    case CDEFormBase::Roster:
      DrawRoster(svg, static_cast<const CDERoster2&>(item));
      break;
    case CDEFormBase::Group:
    case CDEFormBase::Block: {
      const auto& group = static_cast<const CDEGroup&>(item);
      for (int i = 0; i < group.GetNumItems(); ++i) DrawItem(svg, *group.GetItem(i));
      break;
    }
    default:
      break;
  }
}

std::string IndexHtml(const CDEFormFile& formFile) {
  const std::string title = Xml(formFile.GetLabel().empty() ? formFile.GetName() : formFile.GetLabel());
  std::string html =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
      "</title>\n<style>body{font-family:'DejaVu Sans',sans-serif;margin:16px;background:#fff}"
      "h2{font-size:14px;margin:20px 0 6px}img{display:block;border:1px solid #ddd}</style></head>\n<body>\n<h1>" +
      title + "</h1>\n";
  for (int i = 0; i < formFile.GetNumForms(); ++i) {
    const CDEForm* form = formFile.GetForm(i);
    html += "<h2>" + Xml(form->GetName()) + (form->GetLabel().empty() || form->GetLabel() == form->GetName() ? "" : " &#8212; " + Xml(form->GetLabel())) +
            "</h2>\n<img src=\"form-" + std::to_string(i + 1) + ".svg\" alt=\"" + Xml(form->GetName()) + "\">\n";
  }
  if (formFile.GetNumForms() == 0) html += "<p>This forms file has no forms.</p>\n";
  return html + "</body></html>\n";
}

}  // namespace

std::string FormToSvg(const CDEForm& form, ITextMeasurer& measurer) {
  SvgWriter svg(measurer);
  for (int i = 0; i < form.GetNumItems(); ++i) DrawItem(svg, *form.GetItem(i));
  return svg.Document(form.GetDims());
}

bool WriteFormsPreview(const std::string& fmfPath, const std::string& folder, std::string& error) {
  CDEFormFile formFile;
  if (!formFile.Open(fmfPath)) {
    error = formFile.GetLastError();
    return false;
  }
  if (!MakeFolder(folder, &error)) return false;
  for (int i = 0; i < formFile.GetNumForms(); ++i) {
    const std::string path = (fs::path(folder) / ("form-" + std::to_string(i + 1) + ".svg")).string();
    if (!WriteFileAtomically(path, FormToSvg(*formFile.GetForm(i), CurrentTextMeasurer()), &error)) return false;
  }
  return WriteFileAtomically((fs::path(folder) / "index.html").string(), IndexHtml(formFile), &error);
}
