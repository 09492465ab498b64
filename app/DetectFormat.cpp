#include "app/DetectFormat.h"

#include <stdlib.h>
#include <strings.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/ConvertApp.h"
#include "libs/util/FileNames.h"

namespace {


int16_t I16(const std::string& b, size_t at) {
  return static_cast<int16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

// Fixed-width names in the VESK records: printable ASCII, blanks or NULs.
bool PlainName(const std::string& b, size_t at, size_t width) {
  for (size_t i = at; i < at + width; ++i) {
    const unsigned char c = static_cast<unsigned char>(b[i]);
    if (c != 0 && (c < 32 || c > 126)) return false;
  }
  return true;
}

std::string Trim(const std::string& s) {
  size_t first = 0, last = s.size();
  while (first < last && (s[first] == ' ' || s[first] == '\t' || s[first] == '\r')) ++first;
  while (last > first && (s[last - 1] == ' ' || s[last - 1] == '\t' || s[last - 1] == '\r')) --last;
  return s.substr(first, last - first);
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  const size_t n = std::char_traits<char>::length(prefix);
  return s.size() >= n && strncasecmp(s.c_str(), prefix, n) == 0;
}

// The text formats: the lines after an optional UTF-8 byte order mark, blank lines and
// (in the section files) comment lines skipped.
FileFormat DetectText(const std::string& bytes) {
  std::string text = bytes;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size() && lines.size() < 40) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    lines.push_back(line);
  }
  if (lines.empty()) return FileFormat::Unknown;
  if (lines[0] == "Travo 4.0") {
    return lines.size() > 1 && strcasecmp(lines[1].c_str(), "[FormFile]") == 0 ? FileFormat::TravoForms
                                                                                 : FileFormat::Unknown;
  }
  if (strcasecmp(lines[0].c_str(), "[Dictionary]") == 0) {
    // Both dictionaries start so; the version line that follows tells them apart.
    if (lines.size() < 2 || !StartsWithNoCase(lines[1], "Version=")) return FileFormat::Unknown;
    const std::string version = Trim(lines[1].substr(8));
    if (StartsWithNoCase(version, "ORVA")) return FileFormat::Orva41;
    if (StartsWithNoCase(version, "Travo")) return FileFormat::TravoDict;
    return FileFormat::Unknown;
  }
  // An ORVA 4.1 dictionary may leave out its [Dictionary] section; a Travo dictionary
  // never does.
  for (const char* section : {"[Common]", "[Record]"}) {
    if (strcasecmp(lines[0].c_str(), section) == 0) return FileFormat::Orva41;
  }
  return FileFormat::Unknown;
}

}  // namespace

FileFormat DetectFormatOfBytes(const std::string& bytes) {
  // ORVA 3.1: the magic of its 512-byte header, or the older package's, which its reader
  // refuses with its own message.
  if (bytes.compare(0, 8, "ORVADDF ") == 0 || bytes.compare(0, 8, "DDP00010") == 0) return FileFormat::Orva31;
  // VESK dictionary: a 64-byte header tagged 'D' with a plain name, one to four levels
  // of identification and record type fields of sensible size. Text starting with a "D"
  // gives fields of thousands (two letters read as a number).
  if (bytes.size() >= 64 && bytes[0] == 'D' && PlainName(bytes, 1, 8)) {
    bool sensible = true;
    int levels = 0;
    for (int i = 0; i < 4; ++i) {
      const int start = I16(bytes, 18 + 2 * i), length = I16(bytes, 32 + 2 * i);
      if (start < 0 || start > 9999 || length < 0 || length > 999) sensible = false;
      if (length > 0) ++levels;
    }
    const int typeStart = I16(bytes, 40), typeLength = I16(bytes, 42);
    if (typeStart < 0 || typeStart > 9999 || typeLength < 0 || typeLength > 99) sensible = false;
    if (sensible && levels > 0) return FileFormat::VeskDict;
  }
  // VESK work dictionary: its first section record, tagged 'S', with a plain name and
  // block counts of sensible size.
  if (bytes.size() >= 32 && bytes[0] == 'S' && PlainName(bytes, 2, 8)) {
    const int labelBlocks = I16(bytes, 22), extraBlocks = I16(bytes, 24);
    if (labelBlocks >= 0 && labelBlocks < 1000 && extraBlocks >= 0 && extraBlocks < 1000) {
      const size_t next = 32 + 32 * static_cast<size_t>(labelBlocks + extraBlocks);
      // What follows the section is another record, or the end of what was read.
      if (next >= bytes.size() || std::string("SVFMI").find(bytes[next]) != std::string::npos) {
        return FileFormat::VeskWork;
      }
    }
  }
  return DetectText(bytes);
}

FileFormat DetectFileFormat(const std::string& path) {
  // Only regular files are looked into: opening a named pipe would wait for a writer.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return FileFormat::Unknown;
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileFormat::Unknown;
  std::string bytes(kProbeBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return DetectFormatOfBytes(bytes);
}

FileFormat FormatFromExtension(const std::string& path) {
  const std::string ext = GetLowerFileExtension(path);
  if (ext == "dd") return FileFormat::Orva31;
  if (ext == "ddw") return FileFormat::Orva41;
  if (ext == "dic") return FileFormat::VeskDict;
  if (ext == "wst") return FileFormat::VeskWork;
  if (ext == "dcf") return FileFormat::TravoDict;
  if (ext == "fmf") return FileFormat::TravoForms;
  return FileFormat::Unknown;
}

const char* FormatExtension(FileFormat format) {
  switch (format) {
    case FileFormat::Orva31: return "dd";
    case FileFormat::Orva41: return "ddw";
    case FileFormat::VeskDict: return "dic";
    case FileFormat::VeskWork: return "wst";
    case FileFormat::TravoDict: return "dcf";
    case FileFormat::TravoForms: return "fmf";
    default: return "";
  }
}

const char* FormatDescription(FileFormat format) {
  switch (format) {
    case FileFormat::Orva31: return "an ORVA 3.1 dictionary";
    case FileFormat::Orva41: return "an ORVA 4.1 dictionary";
    case FileFormat::VeskDict: return "a VESK dictionary";
    case FileFormat::VeskWork: return "a VESK work dictionary";
    case FileFormat::TravoDict: return "a Travo dictionary";
    case FileFormat::TravoForms: return "a Travo forms file";
    default: return "not a dictionary";
  }
}

std::string NotADictionaryMessage(const std::string& path) {
  return path + ": not a dictionary this tool knows (ORVA 3.1, ORVA 4.1, VESK or Travo)";
}

ResolvedInput::ResolvedInput(const std::string& path) : path_(path), given_(path) {
  const FileFormat content = DetectFileFormat(path);
  const FileFormat named = FormatFromExtension(path);
  // A file whose content shows nothing is left to the reader its extension names, which
  // says what is wrong with it.
  format_ = content != FileFormat::Unknown ? content : named;
  if (content == FileFormat::Unknown || content == named) return;
  overruled_ = true;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path source = fs::absolute(path, ec);
  if (ec) return;
  std::string pattern = (fs::temp_directory_path(ec) / "travo-input-XXXXXX").string();
  if (ec || !mkdtemp(pattern.data())) return;
  folder_ = pattern;
  std::string stem = source.filename().string();
  const std::string ext = GetFileExtension(stem);
  if (!ext.empty()) stem.erase(stem.size() - ext.size() - 1);
  if (stem.empty()) stem = "input";
  const fs::path link = fs::path(folder_) / (stem + "." + FormatExtension(content));
  fs::create_symlink(source, link, ec);
  if (ec) fs::copy_file(source, link, ec);
  if (!ec) path_ = link.string();
}

ResolvedInput::~ResolvedInput() {
  if (folder_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

bool FormatFitsKind(FileFormat format, int kind) {
  switch (kind) {
    case KIND_ORVA31_TO_TRAVO: return format == FileFormat::Orva31;
    case KIND_ORVA41_TO_TRAVO: return format == FileFormat::Orva41;
    case KIND_TRAVO_TO_ORVA31:
    case KIND_TRAVO_TO_VESK: return format == FileFormat::TravoDict;
    case KIND_VESK_TO_TRAVO:
    case KIND_VESK_TO_TRAVO_FORMS: return format == FileFormat::VeskDict || format == FileFormat::VeskWork;
    default: return false;
  }
}

std::string DetectedNothingOf(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return {};
  if (DetectFileFormat(path) != FileFormat::Unknown || FormatFromExtension(path) != FileFormat::Unknown) return {};
  return NotADictionaryMessage(path);
}

std::string UnknownContentOf(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec) || DetectFileFormat(path) != FileFormat::Unknown) return {};
  return NotADictionaryMessage(path);
}
