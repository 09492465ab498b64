#pragma once
// Text code pages. The old formats hold text in an "OEM" code page (CP850 unless the
// user chose another); the host code page is UTF-8. Conversion goes through iconv;
// characters without a mapping become '?'.
#include <string>
#include <string_view>

// The OEM code page in use, an iconv name such as "CP850".
const std::string& OemCodePage();
// Selects the OEM code page; false (and no change) when iconv does not know it.
bool SetOemCodePage(const std::string& name);

std::string OemToHost(std::string_view oem);
std::string HostToOem(std::string_view host);
