#include "app/ConvertApp.h"

#include <cstring>

#include "app/Formats.h"
#include "libs/dict/DataDict.h"
#include "libs/util/FileNames.h"
#include "orva31/ConvertSupport.h"
#include "res/StringTable.h"
#include "veskconv/VeskFormat.h"

namespace {

// The strings of the file names page per kind (input and output label, title,
// extension, filter), and the kind's name on the command line.
constexpr FileFormat kNone = FileFormat::Unknown;
constexpr ConversionKindInfo kKinds[] = {
    {KIND_ORVA31_TO_TRAVO, "orva31", 101, 103, 104, 105, 132, 133, 134, 135, FileFormat::Orva31, kNone,
     FileFormat::TravoDict},
    {KIND_ORVA41_TO_TRAVO, "orva41", 111, 112, 113, 114, 132, 133, 134, 135, FileFormat::Orva41, kNone,
     FileFormat::TravoDict},
    {KIND_TRAVO_TO_ORVA31, "to-orva31", 131, 133, 134, 135, 102, 103, 104, 105, FileFormat::TravoDict, kNone,
     FileFormat::Orva31},
    {KIND_VESK_TO_TRAVO, "vesk", 121, 123, 124, 125, 132, 133, 134, 135, FileFormat::VeskDict, FileFormat::VeskWork,
     FileFormat::TravoDict},
    {KIND_VESK_TO_TRAVO_FORMS, "vesk-forms", 121, 123, 124, 125, 136, 137, 138, 139, FileFormat::VeskDict,
     FileFormat::VeskWork, FileFormat::TravoForms},
    {KIND_TRAVO_TO_VESK, "to-vesk", 131, 133, 134, 135, 122, 123, 124, 125, FileFormat::TravoDict, kNone,
     FileFormat::VeskDict},
};

}  // namespace

const ConversionKindInfo* FindConversionKind(int kind) {
  if (kind < 0 || kind >= static_cast<int>(std::size(kKinds))) return nullptr;
  return &kKinds[kind];
}

int ParseConversionKind(const std::string& text) {
  for (const auto& info : kKinds) {
    if (text == info.cliName || text == std::to_string(info.kind)) return info.kind;
  }
  return -1;
}

bool KindReadsFormat(int kind, FileFormat format) {
  const ConversionKindInfo* info = FindConversionKind(kind);
  return info && format != FileFormat::Unknown && (format == info->input || format == info->alsoInput);
}

int KindOfInputFormat(FileFormat format) {
  for (const auto& info : kKinds) {
    if (KindReadsFormat(info.kind, format)) return info.kind;
  }
  return -1;
}

const char* OutputExtensionOfKind(int kind) {
  const ConversionKindInfo* info = FindConversionKind(kind);
  return FormatExtension(info ? info->output : FileFormat::TravoDict);
}

int ConversionKindOfFormats(FileFormat input, FileFormat output) {
  for (const auto& info : kKinds) {
    // Nothing converts into VESK: no name implies that kind.
    if (info.kind != KIND_TRAVO_TO_VESK && KindReadsFormat(info.kind, input) && output == info.output) return info.kind;
  }
  return -1;
}

int ConversionKindFromExtensions(const std::string& input, const std::string& output) {
  return ConversionKindOfFormats(FormatFromExtension(input), FormatFromExtension(output));
}

std::vector<std::string> OutputFilesOfKind(int kind, const std::string& output) {
  switch (kind) {
    case KIND_ORVA31_TO_TRAVO:
    case KIND_ORVA41_TO_TRAVO:
    case KIND_TRAVO_TO_VESK:
      return {output};
    case KIND_TRAVO_TO_ORVA31:
      return {orva31::OutputFileFor(output)};
    case KIND_VESK_TO_TRAVO:
      return {VeskDictionaryPathFor(output)};
    case KIND_VESK_TO_TRAVO_FORMS:
      return {VeskFormsPathFor(output), VeskDictionaryPathFor(output)};
    default:
      return {};
  }
}

bool CheckConversionOutputs(IReporter& reporter, int kind, const std::string& input, const std::string& output,
                            int askAboutOutput) {
  if (!IsVornNameUsable(reporter, output)) return false;
  const ConversionKindInfo* info = FindConversionKind(kind);
  const char* ext = info ? LoadResString(info->outputExt) : nullptr;
  const std::vector<std::string> files = OutputFilesOfKind(kind, output);
  // Every refusal comes before the first question: no answer is asked for in vain.
  for (const std::string& file : files) {
    if (!IsVornFileNameOK(reporter, 0, file, ext ? ext : "", 0) || !IsOutputApartFromInput(reporter, file, input))
      return false;
  }
  for (const std::string& file : files) {
    if ((file != output || askAboutOutput) && !MayReplaceFile(reporter, file)) return false;
  }
  return true;
}

CConvertApp::CConvertApp() : m_cDecimal(ReadLocaleDecimalChar()) {}

CConvertApp::CConvertApp(IReporter& reporter) : m_messages(*this, reporter), m_cDecimal(ReadLocaleDecimalChar()) {}

int CConvertApp::MessageBuffer::Report(const Message& message) {
  app_.m_sMessage = message.text;
  return host_->Report(message);
}

std::unique_ptr<IProgressWindow> CConvertApp::MessageBuffer::OpenProgress() { return host_->OpenProgress(); }

bool CConvertApp::Record(const ConversionResult& result) {
  m_written = result.written;
  m_bWroteOutput = result.wroteOutput;
  return result.wroteOutput;
}

bool CConvertApp::RunConversion(int kind, const CVornString& input, const CVornString& output, FileFormat readAs) {
  m_bWroteOutput = false;
  m_written = {};
  switch (kind) {
    case KIND_ORVA31_TO_TRAVO:
      ConvertORVA31Dict(input, output);
      break;
    case KIND_ORVA41_TO_TRAVO:
      ConvertORVA41Dict(input, output);
      break;
    case KIND_TRAVO_TO_ORVA31:
      ConvertToORVA31Dict(input, output);
      break;
    case KIND_VESK_TO_TRAVO:
    case KIND_VESK_TO_TRAVO_FORMS: {
      const bool forms = kind == KIND_VESK_TO_TRAVO_FORMS;
      if (KindReadsFormat(kind, readAs)) {
        ConvertVESKAs(*ModuleOf(readAs), input, output, forms);
      } else {
        ConvertVESK(input, output, forms);
      }
      break;
    }
    case KIND_TRAVO_TO_VESK:
      Context().reporter.ShowMessage("Travo 2.0 to VESK not implemented yet!", 0);
      return false;
    default:
      return false;
  }
  return m_bWroteOutput;
}
