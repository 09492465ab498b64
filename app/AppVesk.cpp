// Conversion kinds 3 and 4: the VESK module of the input's format (its content's, else its
// extension's), run in the application's context.
#include "app/ConvertApp.h"
#include "app/Formats.h"
#include "veskconv/VeskFormat.h"

bool CConvertApp::ConvertVESK(const CVornString& input, const CVornString& output, bool forms) {
  const FormatModule& module = FormatToRead(input) == FileFormat::VeskWork ? VeskWorkFormat() : VeskDictFormat();
  FormatContext context = Context();
  Record(module.convertToTravo(ConversionRequest{{input, input}, output, forms}, context));
  return true;
}
