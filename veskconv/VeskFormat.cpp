#include "veskconv/VeskFormat.h"

#include <cstdint>

#include "libs/dict/DataDict.h"
#include "travo/TravoDataLayout.h"
#include "veskconv/VeskVornConv.h"
#include "vesk/VeskDataLayout.h"
#include "vesk/VeskInspect.h"

namespace {

int16_t I16(std::string_view b, size_t at) {
  return static_cast<int16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

// Fixed-width names in the VESK records: printable ASCII, blanks or NULs.
bool PlainName(std::string_view b, size_t at, size_t width) {
  for (size_t i = at; i < at + width; ++i) {
    const unsigned char c = static_cast<unsigned char>(b[i]);
    if (c != 0 && (c < 32 || c > 126)) return false;
  }
  return true;
}

// A 64-byte header tagged 'D' with a plain name, one to four levels of identification and
// record type fields of sensible size. Text starting with a "D" gives fields of thousands
// (two letters read as a number).
bool DetectDict(std::string_view bytes) {
  if (bytes.size() < 64 || bytes[0] != 'D' || !PlainName(bytes, 1, 8)) return false;
  bool sensible = true;
  int levels = 0;
  for (int i = 0; i < 4; ++i) {
    const int start = I16(bytes, 18 + 2 * i), length = I16(bytes, 32 + 2 * i);
    if (start < 0 || start > 9999 || length < 0 || length > 999) sensible = false;
    if (length > 0) ++levels;
  }
  const int typeStart = I16(bytes, 40), typeLength = I16(bytes, 42);
  if (typeStart < 0 || typeStart > 9999 || typeLength < 0 || typeLength > 99) sensible = false;
  return sensible && levels > 0;
}

// The first section record, tagged 'S', with a plain name and block counts of sensible
// size, followed by another record or by the end of what was read.
bool DetectWork(std::string_view bytes) {
  if (bytes.size() < 32 || bytes[0] != 'S' || !PlainName(bytes, 2, 8)) return false;
  const int labelBlocks = I16(bytes, 22), extraBlocks = I16(bytes, 24);
  if (labelBlocks < 0 || labelBlocks >= 1000 || extraBlocks < 0 || extraBlocks >= 1000) return false;
  const size_t next = 32 + 32 * static_cast<size_t>(labelBlocks + extraBlocks);
  return next >= bytes.size() || std::string_view("SVFMI").find(bytes[next]) != std::string_view::npos;
}

template <Dic_eDicType type>
std::unique_ptr<CDataDict> ReadDictionary(const InputFile& input, FormatContext& context) {
  return CVeskVornConv(context).ReadDictionary(input, type);
}

// Kind 3 has written its output once the dictionary is saved; kind 4 once the forms file
// is saved too, or when the conversion ran to its end without forms to write.
template <Dic_eDicType type>
ConversionResult ConvertToTravo(const ConversionRequest& request, FormatContext& context) {
  CVeskVornConv converter(context);
  const bool ran = converter.Convert(request.input, type, request.output, request.forms);
  ConversionResult result;
  result.written = converter.Written();
  result.wroteOutput = request.forms ? converter.FormsSaved() || (ran && converter.DictionarySaved())
                                     : converter.DictionarySaved();
  return result;
}

// The data is read through VESK's own buffers (its transformations applied); the labels come
// from the Travo dictionary that the conversion builds, item by variable name.
template <Dic_eDicType type>
std::unique_ptr<DataLayout> DataLayoutOf(const InputFile& input, FormatContext& context) {
  std::unique_ptr<CDataDict> dict = CVeskVornConv(context).ReadDictionary(input, type);
  if (!dict) return nullptr;
  auto describe = [&dict](const std::string& variable, DataColumn& column) {
    if (const CDictItem* item = dict->LookupName(variable)) {
      std::vector<SpecialCode> specials = std::move(column.specials);  // the codes VESK reads by
      DescribeItemValues(*item, column);
      column.specials = std::move(specials);
    }
  };
  std::string error;
  std::unique_ptr<DataLayout> layout = MakeVeskDataLayout(input.path, input.shown, type == Dic_eWorkDict, error, describe);
  if (!layout) {
    context.reporter.ShowMessage(error, MB_ICONEXCLAMATION);
    return nullptr;
  }
  layout->SetLabel(dict->GetLabel());
  return layout;
}

template <Dic_eDicType type>
bool Describe(const InputFile& input, bool json, std::ostream& out, std::string& error) {
  return InspectVesk(input.path, input.shown, type == Dic_eWorkDict, json, out, error);
}

}  // namespace

const FormatModule& VeskDictFormat() {
  static const FormatModule module{FileFormat::VeskDict,
                                   "vesk",
                                   "dic",
                                   "a VESK dictionary",
                                   DetectDict,
                                   ReadDictionary<Dic_eDictFile>,
                                   ConvertToTravo<Dic_eDictFile>,
                                   nullptr,
                                   Describe<Dic_eDictFile>,
                                   DataLayoutOf<Dic_eDictFile>};
  return module;
}

const FormatModule& VeskWorkFormat() {
  static const FormatModule module{FileFormat::VeskWork,
                                   "vesk-work",
                                   "wst",
                                   "a VESK work dictionary",
                                   DetectWork,
                                   ReadDictionary<Dic_eWorkDict>,
                                   ConvertToTravo<Dic_eWorkDict>,
                                   nullptr,
                                   Describe<Dic_eWorkDict>,
                                   DataLayoutOf<Dic_eWorkDict>};
  return module;
}

const FormatModule& VeskFormatNamedBy(const std::string& path) {
  return Dic::IsWorkDict(path.c_str()) ? VeskWorkFormat() : VeskDictFormat();
}

std::string VeskDictionaryPathFor(const std::string& output) { return CVeskVornConv::DcfPathFor(output); }
std::string VeskFormsPathFor(const std::string& output) { return CVeskVornConv::FmfPathFor(output); }
