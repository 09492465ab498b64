#include "orva31/Orva31Format.h"

#include "orva31/DdFormat.h"
#include "orva31/DdInspect.h"
#include "orva31/Orva31Convert.h"

namespace {

// The magic of the 512-byte header, or the older package's, which the reader refuses
// with its own message.
bool DetectOrva31(std::string_view firstBytes) {
  return firstBytes.starts_with(std::string_view(dd::kMagic, 8)) ||
         firstBytes.starts_with(std::string_view(dd::kOldVersionMagic, 8));
}

ConversionResult ConvertFromTravo(const ConversionRequest& request, FormatContext& context) {
  int record = 0, item = 0;
  return orva31::ConvertFromTravo(request, context, {record, item});
}

bool Describe(const InputFile& input, bool json, std::ostream& out, std::string& error) {
  return InspectOrva31(input.path, input.shown, json, out, error);
}

}  // namespace

const FormatModule& Orva31Format() {
  static const FormatModule module{
      .format = FileFormat::Orva31,
      .name = "orva31",
      .extension = "dd",
      .description = "an ORVA 3.1 dictionary",
      .detect = DetectOrva31,
      .readDictionary = orva31::ReadDictionary,
      .convertToTravo = orva31::ConvertToTravo,
      .convertFromTravo = ConvertFromTravo,
      .describe = Describe,
  };
  return module;
}
