// Conversion kinds 3 and 4: the VESK module of the input's format, run in the application's
// context.
#include "app/ConvertApp.h"
#include "veskconv/VeskFormat.h"

bool CConvertApp::ConvertVESK(const CVornString& input, const CVornString& output, bool forms) {
  return ConvertVESKAs(VeskFormatNamedBy(input), input, output, forms);
}

bool CConvertApp::ConvertVESKAs(const FormatModule& module, const CVornString& input, const CVornString& output,
                                bool forms) {
  FormatContext context = Context();
  Record(module.convertToTravo(ConversionRequest{{input, input}, output, forms}, context));
  return true;
}
