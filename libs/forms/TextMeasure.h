#pragma once
// Measuring texts for form layout. The program that lays out forms installs a measurer:
// the wizard and the command-line tool one that asks the real fonts (Qt), tests one with
// fixed metrics. Without one, a fixed measurer scaled by the font's height is used, so
// the core lays out forms without any window system.
#include <string_view>

#include "libs/forms/DrawTypes.h"

struct CSize {
  int cx = 0;
  int cy = 0;
  CSize() = default;
  CSize(int w, int h) : cx(w), cy(h) {}
  bool operator==(const CSize&) const = default;
};

class ITextMeasurer {
 public:
  virtual ~ITextMeasurer() = default;
  // Width and height in pixels of text (UTF-8) in font: the desktop's text extent.
  virtual CSize GetTextExtent(const LOGFONT& font, std::string_view text) = 0;
  // The pixels from the top of a line of text in font (as GetTextExtent measures it) down
  // to its baseline: where a picture puts a text whose rectangle starts at the line's top.
  virtual int GetAscent(const LOGFONT& font) = 0;
};

// Every character (UTF-8 code point) is the same width; every line of text the same
// height, its baseline a fifth of the height above its bottom. With width 0 the metrics
// follow the font: a character is 6/11 of the font's pixel height wide (at least 1) and a
// line 13/11 of it high (at least 1).
class CFixedTextMeasurer : public ITextMeasurer {
 public:
  CFixedTextMeasurer() = default;
  CFixedTextMeasurer(int charWidth, int lineHeight) : m_iCharWidth(charWidth), m_iLineHeight(lineHeight) {}
  CSize GetTextExtent(const LOGFONT& font, std::string_view text) override;
  int GetAscent(const LOGFONT& font) override;

 private:
  int LineHeight(const LOGFONT& font) const;

  int m_iCharWidth = 0;
  int m_iLineHeight = 0;
};

// The installed measurer; the font-scaled fixed one when none is.
ITextMeasurer& CurrentTextMeasurer();
// Installs measurer (nullptr restores the fixed one) and returns the one it replaces.
ITextMeasurer* InstallTextMeasurer(ITextMeasurer* measurer);

// Installs a measurer for the lifetime of a scope.
class ScopedTextMeasurer {
 public:
  explicit ScopedTextMeasurer(ITextMeasurer& measurer) : previous_(InstallTextMeasurer(&measurer)) {}
  ~ScopedTextMeasurer() { InstallTextMeasurer(previous_); }
  ScopedTextMeasurer(const ScopedTextMeasurer&) = delete;
  ScopedTextMeasurer& operator=(const ScopedTextMeasurer&) = delete;

 private:
  ITextMeasurer* previous_;
};

// The pixel height of a font's characters: -lfHeight for a negative height, the cell
// height less a sixth for a positive one, 11 (8 points) for 0.
int FontPixelHeight(const LOGFONT& font);

// The border of an entry box, in pixels (the desktop's thin border).
constexpr int kFieldBorderX = 1;
constexpr int kFieldBorderY = 1;
// The size of an entry box for chars characters whose character cell (the extent of "9"
// in the field font) is cell: each character cell.cx wide with 3 pixels between and around
// them, one cell high, plus the borders.
CSize FieldBoxSize(int chars, CSize cell);
