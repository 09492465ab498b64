// Escaping of .fmf values and the checks on raw lines.
#include "libs/forms/FmfText.h"

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

size_t Utf8SequenceLength(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length;
  unsigned long code;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  static const unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void AppendEscaped(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    unsigned char u = static_cast<unsigned char>(c);
    size_t length = 1;
    if (c == '\\') {
      out += "\\\\";
    } else if (c == ' ' && (i == 0 || i + 1 == text.size())) {
      out += "\\s";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (IsControl(u) || (length = Utf8SequenceLength(text, i)) == 0) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out.append(text.substr(i, length));
      i += length - 1;
    }
  }
}

bool Unescape(std::string_view value, std::string& out, std::string& why) {
  out.clear();
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      out += value[i];
      continue;
    }
    if (i + 1 == value.size()) {
      why = "a backslash ends the value (write \\\\ for a backslash)";
      return false;
    }
    char code = value[++i];
    switch (code) {
      case '\\': out += '\\'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 's': out += ' '; break;
      case 'x': {
        int high = i + 1 < value.size() ? HexDigit(value[i + 1]) : -1;
        int low = i + 2 < value.size() ? HexDigit(value[i + 2]) : -1;
        if (high < 0 || low < 0) {
          why = "\\x must be followed by two hexadecimal digits";
          return false;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        bool printable = code > ' ' && code < 0x7F;
        why = std::string("unknown escape \\") + (printable ? code : '?');
        return false;
    }
  }
  return true;
}

const char* CheckLineText(std::string_view line) {
  for (size_t i = 0; i < line.size();) {
    unsigned char u = static_cast<unsigned char>(line[i]);
    if (u == '\t') {
      ++i;
    } else if (IsControl(u)) {
      return "control character (write it as an escape)";
    } else {
      size_t length = Utf8SequenceLength(line, i);
      if (length == 0) return "text is not valid UTF-8";
      i += length;
    }
  }
  return nullptr;
}
