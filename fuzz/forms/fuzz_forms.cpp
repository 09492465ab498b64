// Reads arbitrary bytes as a .fmf file. Whatever is accepted must be writable, and what
// is written must read back to an equal model and write back to the same text.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "libs/forms/FormFile.h"
#include "libs/forms/FormInspect.h"
#include "libs/util/JsonStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  CDEFormFile first;
  std::string error;
  if (!FmfFromText(input, first, &error)) {
    if (error.rfind("line ", 0) != 0) abort();  // every failure names its line
    return 0;
  }
  std::string text;
  if (!FmfToText(first, text, &error)) abort();
  CDEFormFile second;
  if (!FmfFromText(text, second, &error)) abort();
  if (!(second == first)) abort();
  std::string again;
  if (!FmfToText(second, again, &error) || again != text) abort();
  std::ostringstream json;
  CJsonStreamWriter writer(json);
  WriteFormFileJson(second, writer);
  if (nlohmann::json::parse(json.str(), nullptr, false).is_discarded()) abort();
  DescribeFormFile(second);
  return 0;
}
