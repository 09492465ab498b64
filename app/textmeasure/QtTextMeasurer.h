#pragma once
// Text extents from the real fonts, through Qt: what the wizard and the command-line tool
// lay out forms with, so that both write the same forms file for the same input. Needs a
// QGuiApplication; EnsureGuiForMeasuring makes one when the program has none.
#include <memory>

#include "libs/forms/TextMeasure.h"

class QGuiApplication;

class CQtTextMeasurer : public ITextMeasurer {
 public:
  CSize GetTextExtent(const LOGFONT& font, std::string_view text) override;
  int GetAscent(const LOGFONT& font) override;
};

// A QGuiApplication for measuring when none exists yet (null when one does): on Qt's
// offscreen platform unless a display is at hand, so that it works on a server too.
std::unique_ptr<QGuiApplication> EnsureGuiForMeasuring();
