// Written form of .dcf texts: backslash escapes for the backslash, line breaks, tabs, other
// control characters, bytes that are not UTF-8, blanks at either end (\s, so that editors
// that trim lines cannot change a text) and, in from/to texts, the separators , : ;.
#include "libs/dict/DcfEscape.h"

#include "libs/util/TextTools.h"

#include <array>
#include <cstdint>

namespace dcf {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

using ::Utf8Length;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }
bool IsSeparator(char c) { return c == ',' || c == ':' || c == ';'; }

// Bytes that may need more than a plain copy: controls, the backslash, non-ASCII, and the
// separators for from/to texts.
struct Table {
  std::array<bool, 256> plain{}, pair{};
  Table() {
    for (int c = 0; c < 256; ++c) {
      plain[c] = IsControl(static_cast<unsigned char>(c)) || c == '\\' || c >= 0x80;
      pair[c] = plain[c] || IsSeparator(static_cast<char>(c));
    }
  }
};
const Table kTable;

bool NeedsEscaping(std::string_view text, TextKind kind) {
  if (text.empty()) return false;
  if (text.front() == ' ' || text.back() == ' ') return true;
  const auto& special = kind == TextKind::Pair ? kTable.pair : kTable.plain;
  for (char c : text)
    if (special[static_cast<unsigned char>(c)]) return true;
  return false;
}

template <typename Text>
void AppendHexByte(Text& out, unsigned char c) {
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Fail(std::string* reason, std::string text) {
  if (reason) *reason = std::move(text);
  return false;
}

}  // namespace

template <typename Text>
void AppendEscaped(Text& out, std::string_view text, TextKind kind) {
  if (!NeedsEscaping(text, kind)) {
    out.append(text);
    return;
  }
  const auto& special = kind == TextKind::Pair ? kTable.pair : kTable.plain;
  const size_t size = text.size();
  size_t lead = 0;
  while (lead < size && text[lead] == ' ') ++lead;
  size_t trailStart = size;
  while (trailStart > lead && text[trailStart - 1] == ' ') --trailStart;
  for (size_t i = 0; i < size; ++i) {
    // Bytes written as they are go out as one run.
    size_t run = i;
    while (run < trailStart && run >= lead && !special[static_cast<unsigned char>(text[run])]) ++run;
    if (run > i) {
      out.append(text.substr(i, run - i));
      i = run;
      if (i == size) break;
    }
    const char c = text[i];
    const auto uc = static_cast<unsigned char>(c);
    if (c == ' ') {
      out += "\\s";  // only blanks at either end reach here
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (IsControl(uc)) {
      AppendHexByte(out, uc);
    } else if (kind == TextKind::Pair && IsSeparator(c)) {
      out += '\\';
      out += c;
    } else if (size_t n = Utf8Length(text, i)) {
      out.append(text.substr(i, n));
      i += n - 1;
    } else {
      AppendHexByte(out, uc);
    }
  }
}

bool Unescape(std::string_view written, std::string& out, std::string* reason) {
  out.clear();
  if (!NeedsEscaping(written, TextKind::Plain)) {
    out.assign(written);
    return true;
  }
  out.reserve(written.size());
  for (size_t i = 0; i < written.size(); ++i) {
    size_t run = i;  // bytes that stand for themselves go in as one run
    while (run < written.size() && !kTable.plain[static_cast<unsigned char>(written[run])]) ++run;
    if (run > i) {
      out.append(written.substr(i, run - i));
      i = run;
      if (i == written.size()) break;
    }
    const char c = written[i];
    const auto uc = static_cast<unsigned char>(c);
    if (c == '\\') {
      if (i + 1 == written.size()) return Fail(reason, "a backslash ends the text");
      const char e = written[++i];
      switch (e) {
        case '\\': out += '\\'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 's': out += ' '; break;
        case ',': case ':': case ';': out += e; break;
        case 'x': {
          int hi = i + 1 < written.size() ? HexValue(written[i + 1]) : -1;
          int lo = i + 2 < written.size() ? HexValue(written[i + 2]) : -1;
          if (hi < 0 || lo < 0) return Fail(reason, "\\x needs two hexadecimal digits");
          out += static_cast<char>(hi * 16 + lo);
          i += 2;
          break;
        }
        default: {
          const size_t n = Utf8Length(written, i);
          return Fail(reason, "unknown escape \\" + std::string(written.substr(i, n ? n : 1)));
        }
      }
    } else if (IsControl(uc)) {
      std::string hex;
      AppendHexByte(hex, uc);
      return Fail(reason, "a raw control character (write it as " + hex + ")");
    } else {
      const size_t n = Utf8Length(written, i);
      if (n == 0) return Fail(reason, "bytes that are not UTF-8 (write them as \\xHH)");
      out.append(written.substr(i, n));
      i += n - 1;
    }
  }
  return true;
}

bool IsCanonical(std::string_view written, std::string_view text, TextKind kind) {
  if (!NeedsEscaping(text, kind)) return written == text;
  std::string expected;
  expected.reserve(written.size());
  AppendEscaped(expected, text, kind);
  return written == expected;
}

template void AppendEscaped(std::string&, std::string_view, TextKind);
template void AppendEscaped(FileText&, std::string_view, TextKind);

Decoded DecodeExact(std::string_view written, TextKind kind, std::string& text, std::string* reason) {
  if (!NeedsEscaping(written, kind)) {  // the common case: written as it is
    text.assign(written);
    return Decoded::Exact;
  }
  if (!Unescape(written, text, reason)) return Decoded::Invalid;
  return IsCanonical(written, text, kind) ? Decoded::Exact : Decoded::NotCanonical;
}

std::string Excerpt(std::string_view written) {
  constexpr size_t kMax = 60;
  std::string shown;
  size_t i = 0;
  while (i < written.size() && shown.size() < kMax) {
    const auto uc = static_cast<unsigned char>(written[i]);
    const size_t n = IsControl(uc) ? 0 : Utf8Length(written, i);
    if (n == 0) {
      AppendHexByte(shown, uc);  // keeps the message readable text
      ++i;
    } else {
      shown.append(written.substr(i, n));
      i += n;
    }
  }
  if (i < written.size()) shown += "...";
  return shown;
}

size_t FindUnescaped(std::string_view written, char c, size_t from) {
  for (size_t i = from; i < written.size(); ++i) {
    if (written[i] == '\\')
      ++i;
    else if (written[i] == c)
      return i;
  }
  return std::string_view::npos;
}

}  // namespace dcf
