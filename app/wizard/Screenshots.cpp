// travo-wizard-screenshots OUTDIR: shows the wizard in a real window and saves each of
// its four pages as OUTDIR/<page>.png. Used by scripts/screenshots.sh under Xvfb.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/ConvertApp.h"
#include "app/wizard/ChoicePages.h"
#include "app/wizard/FilePage.h"
#include "app/wizard/WizardStartup.h"

namespace {

bool Save(CConvertSheet& sheet, const QString& folder, const char* name) {
  QTest::qWait(200);  // let the window manager and the style settle
  const QString path = QDir(folder).filePath(QString::fromUtf8(name) + ".png");
  const bool saved = sheet.grab().save(path);
  std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write",
               qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);

  // Keep the user's remembered choices out of the pictures and untouched.
  QTemporaryDir settingsDir;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
  CSilentReporter nobody;  // the pictures show the pages only
  std::unique_ptr<CConvertSheet> sheet = CreateConvertSheet(nobody, QStringLiteral("QuorvaneScreenshots"));
  sheet->show();
  if (!QTest::qWaitForWindowExposed(sheet.get())) {
    std::fprintf(stderr, "the wizard window was not shown\n");
    return 1;
  }

  bool ok = Save(*sheet, folder, "convert-page");
  sheet->next();  // ORVA, the family stored by default
  ok = Save(*sheet, folder, "orva-page") && ok;
  sheet->GoBackTo(IDD_CONVERT);
  qobject_cast<CRadioPage*>(sheet->page(IDD_CONVERT))->Button(1)->click();
  sheet->next();
  ok = Save(*sheet, folder, "vesk-page") && ok;
  qobject_cast<CRadioPage*>(sheet->page(IDD_VESK))->Button(1)->click();
  sheet->next();
  auto* files = qobject_cast<CFilePage*>(sheet->page(IDD_FILE_NAMES));
  files->m_sInputFile = "/home/surveys/household.dic";
  files->m_sOutputFile = "/home/surveys/household.fmf";
  files->UpdateData(false);
  ok = Save(*sheet, folder, "file-names-page") && ok;
  return ok ? 0 : 1;
}
