#include "app/textmeasure/QtTextMeasurer.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

// Fonts beyond this height measure nothing a form could show.
constexpr int kMaxPixelHeight = 1000;

QFont ToQFont(const LOGFONT& lf) {
  QFont font(QString::fromStdString(lf.lfFaceName));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::clamp(FontPixelHeight(lf), 1, kMaxPixelHeight));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(lf.lfWeight, 100, 900)));
  font.setItalic(lf.lfItalic);
  // Hinting depends on the screen; without it every platform measures alike.
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

// Qt's own notes (a missing runtime folder, font lookups) are not the conversion's
// messages, which alone go to stderr.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace

CSize CQtTextMeasurer::GetTextExtent(const LOGFONT& font, std::string_view text) {
  const QFontMetrics metrics(ToQFont(font));
  const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return {metrics.horizontalAdvance(qtext), metrics.height()};
}

int CQtTextMeasurer::GetAscent(const LOGFONT& font) { return QFontMetrics(ToQFont(font)).ascent(); }

std::unique_ptr<QGuiApplication> EnsureGuiForMeasuring() {
  if (QGuiApplication::instance()) return nullptr;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool hasDisplay = (display && *display) || (wayland && *wayland);
  if (!hasDisplay && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(QuietQtMessages);
  static int argc = 1;
  static char name[] = "travo-convert-cli";
  static char* argv[] = {name, nullptr};
  auto application = std::make_unique<QGuiApplication>(argc, argv);
  // Qt switched the C library to the user's locale; numbers are written with the C rules.
  std::setlocale(LC_NUMERIC, "C");
  return application;
}
