// travo-convert: the conversion wizard. One run converts one file; the program takes no
// options of its own (QApplication consumes Qt's).
#include <QApplication>
#include <clocale>

#include "app/ConvertApp.h"
#include "app/wizard/ConvertSheet.h"
#include "app/wizard/WizardStartup.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // QApplication switched the C library to the user's locale. Numbers are written with
  // the C rules; the user's decimal character is read separately and passed explicitly.
  std::setlocale(LC_NUMERIC, "C");
  application.setWindowIcon(ConvertIcon());

  CConvertApp app;
  RunConvertWizard(app);
  return 0;
}
