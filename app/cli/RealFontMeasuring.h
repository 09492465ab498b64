#pragma once
// Texts measured with the real fonts (Qt) while a RealFontMeasuring lives, where the tool
// has them; the fixed metrics otherwise.
#ifdef TRAVO_QT_MEASURE
#include <QGuiApplication>
#include <memory>

#include "app/textmeasure/QtTextMeasurer.h"

struct RealFontMeasuring {
  std::unique_ptr<QGuiApplication> gui = EnsureGuiForMeasuring();
  CQtTextMeasurer measurer;
  ScopedTextMeasurer installed{measurer};
};
#else
struct RealFontMeasuring {};
#endif
