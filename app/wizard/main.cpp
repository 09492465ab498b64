// travo-convert: the conversion wizard. One run converts one file. Its own options are
// --help and --version, answered without a window; QApplication consumes Qt's.
#include <QApplication>
#include <clocale>
#include <iostream>

#include "app/ConvertApp.h"
#include "app/wizard/ConvertSheet.h"
#include "app/wizard/WizardStartup.h"

int main(int argc, char* argv[]) {
  if (const std::optional<int> status = AnswerOwnOptions(argc, argv, std::cout)) return *status;
  QApplication application(argc, argv);
  // QApplication switched the C library to the user's locale. Numbers are written with
  // the C rules; the user's decimal character is read separately and passed explicitly.
  std::setlocale(LC_NUMERIC, "C");
  application.setWindowIcon(ConvertIcon());

  CConvertApp app;
  RunConvertWizard(app);
  return 0;
}
