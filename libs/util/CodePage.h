#pragma once
// Text code pages. The old formats hold text in an "OEM" code page (CP850 unless the
// user chose another); the host code page is UTF-8. Conversion goes through iconv;
// characters without a mapping become '?'.
#include <array>
#include <string>
#include <string_view>

// The OEM code page in use, an iconv name such as "CP850".
const std::string& OemCodePage();
// Selects the OEM code page; false (and no change) when iconv does not know it.
bool SetOemCodePage(const std::string& name);

std::string OemToHost(std::string_view oem);
std::string HostToOem(std::string_view host);

// Converts many texts from the OEM code page in use when it was made: a single-byte code
// page through a table of its 256 characters made once (iconv is asked per character only
// then), any other through OemToHost. Gives what OemToHost gives.
class OemTextDecoder {
 public:
  OemTextDecoder();
  // oem in the host code page, into out.
  void ToHost(std::string_view oem, std::string& out) const;

 private:
  bool byByte_ = false;
  std::array<std::string, 256> table_;
};
