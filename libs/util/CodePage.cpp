#include "libs/util/CodePage.h"

#include <errno.h>
#include <iconv.h>

#include <mutex>
#include <string>

namespace {

constexpr const char* kHostCodePage = "UTF-8";

// Bytes of the character at the front of text: in UTF-8 a lead byte and the continuation
// bytes after it (at most 4 in all), so one bad or unmapped character gives one '?'.
size_t CharacterLength(const char* text, size_t left, bool utf8) {
  size_t n = 1;
  if (utf8)
    while (n < left && n < 4 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) ++n;
  return n;
}

// Converts text from one code page to another; a character that cannot be read or has
// no mapping becomes one '?'. hostSource tells how long an unreadable character is.
std::string ConvertWith(iconv_t cd, std::string_view text, bool hostSource) {
  std::string out;
  out.reserve(text.size() + 16);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char buffer[512];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ (no mapping or a bad sequence) or EINVAL (cut-off sequence at the end).
    size_t skip = errno == EINVAL ? inLeft : CharacterLength(in, inLeft, hostSource);
    out.push_back('?');
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return out;
}

std::string Convert(std::string_view text, const std::string& from, const std::string& to, bool hostSource) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string out = ConvertWith(cd, text, hostSource);
  iconv_close(cd);
  return out;
}

bool IsKnownCodePage(const std::string& name) {
  iconv_t cd = iconv_open(kHostCodePage, name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// True when the printable ASCII characters stay themselves in the code page, so that
// ASCII text needs no conversion.
bool KeepsAscii(const std::string& name) {
  std::string ascii;
  for (char c = 0x20; c < 0x7F; ++c) ascii.push_back(c);
  return Convert(ascii, kHostCodePage, name, true) == ascii;
}

// The program-wide OEM code page, chosen once by the user; readers on any thread.
struct OemSetting {
  std::mutex mutex;
  std::string name = "CP850";
  bool keepsAscii = true;
};

OemSetting& Setting() {
  static OemSetting setting;
  return setting;
}

std::pair<std::string, bool> CurrentOem() {
  OemSetting& s = Setting();
  std::lock_guard<std::mutex> lock(s.mutex);
  return {s.name, s.keepsAscii};
}

}  // namespace

const std::string& OemCodePage() {
  // One copy per thread, so the reference stays valid while another thread changes it.
  thread_local std::string name;
  name = CurrentOem().first;
  return name;
}

bool SetOemCodePage(const std::string& name) {
  if (name.empty() || !IsKnownCodePage(name)) return false;
  bool keeps = KeepsAscii(name);
  OemSetting& s = Setting();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.name = name;
  s.keepsAscii = keeps;
  return true;
}

std::string OemToHost(std::string_view oem) {
  auto [name, keepsAscii] = CurrentOem();
  if (keepsAscii && IsAscii(oem)) return std::string(oem);
  return Convert(oem, name, kHostCodePage, false);
}

std::string HostToOem(std::string_view host) {
  auto [name, keepsAscii] = CurrentOem();
  if (keepsAscii && IsAscii(host)) return std::string(host);
  return Convert(host, kHostCodePage, name, true);
}

OemTextDecoder::OemTextDecoder() {
  const std::string name = CurrentOem().first;
  iconv_t cd = iconv_open(kHostCodePage, name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  // A code page is read byte by byte when every byte converts alone and the bytes together
  // convert to the same as one by one (no shift states, no multibyte characters).
  std::string all, oneByOne;
  bool whole = true;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    all.push_back(byte);
    table_[static_cast<size_t>(b)] = ConvertWith(cd, std::string_view(&byte, 1), false);
    oneByOne += table_[static_cast<size_t>(b)];
    // A lead byte of a multibyte code page converts to '?' alone.
    if (table_[static_cast<size_t>(b)] == "?" && b != '?') whole = false;
  }
  byByte_ = whole && ConvertWith(cd, all, false) == oneByOne;
  iconv_close(cd);
}

void OemTextDecoder::ToHost(std::string_view oem, std::string& out) const {
  out.clear();
  if (!byByte_) {
    out = OemToHost(oem);
    return;
  }
  for (char c : oem) {
    const std::string& host = table_[static_cast<unsigned char>(c)];
    if (host.size() == 1)
      out.push_back(host[0]);
    else
      out += host;
  }
}
