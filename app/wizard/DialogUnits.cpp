#include "app/wizard/DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace {

// a * b / c rounded half away from zero, as the old MulDiv did.
int MulDiv(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// The average width as the old dialog manager measured it: the width of the 52 Latin
// letters over 26, plus one, halved (rounds the half-width of a letter pair).
int AverageCharWidth(const QFontMetrics& metrics) {
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return (width / 26 + 1) / 2;
}

}  // namespace

QFont DialogFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  m_baseX = AverageCharWidth(metrics);
  m_baseY = metrics.height();
}

DialogUnits::DialogUnits(int averageCharWidth, int charHeight)
    : m_baseX(averageCharWidth), m_baseY(charHeight) {}

int DialogUnits::ToPixelsX(int du) const { return MulDiv(du, m_baseX, 4); }

int DialogUnits::ToPixelsY(int du) const { return MulDiv(du, m_baseY, 8); }

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  // Width and height come from the converted corners, so that adjacent controls meet
  // exactly as they did in the template.
  const int left = ToPixelsX(x);
  const int top = ToPixelsY(y);
  return QRect(left, top, ToPixelsX(x + width) - left, ToPixelsY(y + height) - top);
}
