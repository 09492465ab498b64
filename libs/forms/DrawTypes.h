#pragma once
// Small drawing types of the forms model: a point, a rectangle in pixels and a font
// description. They stand in for the desktop's own types so that the model and the
// layout code need no window system.
#include <string>

struct CPoint {
  int x = 0;
  int y = 0;
  CPoint() = default;
  CPoint(int px, int py) : x(px), y(py) {}
  bool operator==(const CPoint&) const = default;
};

// Edges in pixels; right and bottom lie outside the rectangle, as on the desktop.
struct CRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  CRect() = default;
  CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const CRect&) const = default;
};

// A font request. lfHeight follows the desktop convention: negative is the character
// height in pixels, positive the cell height, 0 the face's default. lfWeight is 100 to
// 900 (400 normal, 700 bold).
struct LOGFONT {
  std::string lfFaceName;
  int lfHeight = 0;
  int lfWeight = 400;
  bool lfItalic = false;
  bool operator==(const LOGFONT&) const = default;
};

// The font that forms use unless told otherwise: the desktop's sans-serif face at 8 points
// (11 pixels at 96 dots per inch).
inline LOGFONT DefaultFormFont() { return LOGFONT{"Sans Serif", -11, 400, false}; }
