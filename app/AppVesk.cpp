// Conversion kinds 3 and 4: the VESK module the input's extension names, run in the
// application's context.
#include "app/ConvertApp.h"
#include "veskconv/VeskFormat.h"

bool CConvertApp::ConvertVESK(const CVornString& input, const CVornString& output, bool forms) {
  FormatContext context = Context();
  const ConversionResult result =
      VeskFormatNamedBy(input).convertToTravo(ConversionRequest{{input, input}, output, forms}, context);
  m_written = result.written;
  if (result.wroteOutput) MarkOutputWritten();
  return true;
}
