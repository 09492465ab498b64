#pragma once
// Dialog units: the old dialog templates place every control in units of the dialog
// font, a quarter of its average character width across and an eighth of its height
// down. The pages keep those positions and convert them here.
#include <QFont>
#include <QRect>

// The dialog font: the desktop's default sans-serif face at 8 points.
QFont DialogFont();

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  // Base units measured with fixed metrics (tests, and fonts measured elsewhere).
  DialogUnits(int averageCharWidth, int charHeight);

  int averageCharWidth() const { return m_baseX; }
  int charHeight() const { return m_baseY; }

  int ToPixelsX(int du) const;
  int ToPixelsY(int du) const;
  QRect ToPixels(int x, int y, int width, int height) const;

 private:
  int m_baseX;
  int m_baseY;
};
