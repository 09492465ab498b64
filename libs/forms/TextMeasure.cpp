#include "libs/forms/TextMeasure.h"

#include <algorithm>
#include <cstdint>

namespace {

CFixedTextMeasurer g_fixed;
ITextMeasurer* g_installed = nullptr;

int CodePoints(std::string_view text) {
  int n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

int FontPixelHeight(const LOGFONT& font) {
  if (font.lfHeight < 0) return font.lfHeight == INT32_MIN ? INT32_MAX : -font.lfHeight;
  if (font.lfHeight > 0) return std::max(1, font.lfHeight - font.lfHeight / 6);
  return 11;
}

int CFixedTextMeasurer::LineHeight(const LOGFONT& font) const {
  if (m_iLineHeight > 0) return m_iLineHeight;
  return static_cast<int>(std::max(1LL, std::min(FontPixelHeight(font), 10000) * 13LL / 11));
}

CSize CFixedTextMeasurer::GetTextExtent(const LOGFONT& font, std::string_view text) {
  const long long pixels = std::min(FontPixelHeight(font), 10000);
  const long long width = m_iCharWidth > 0 ? m_iCharWidth : std::max(1LL, pixels * 6 / 11);
  const long long cx = std::min<long long>(width * CodePoints(text), 1'000'000'000);
  return {static_cast<int>(cx), LineHeight(font)};
}

int CFixedTextMeasurer::GetAscent(const LOGFONT& font) {
  const int height = LineHeight(font);
  return height - height / 5;
}

ITextMeasurer& CurrentTextMeasurer() { return g_installed ? *g_installed : g_fixed; }

ITextMeasurer* InstallTextMeasurer(ITextMeasurer* measurer) {
  ITextMeasurer* previous = g_installed;
  g_installed = measurer;
  return previous;
}

CSize FieldBoxSize(int chars, CSize cell) {
  const long long width = static_cast<long long>(chars) * (cell.cx + 3) - 1 + 2 * kFieldBorderX;
  const long long height = static_cast<long long>(cell.cy) + 2 * kFieldBorderY;
  auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, 0, 1'000'000'000)); };
  return {clamp(width), clamp(height)};
}
