#include "orva41/Orva41Format.h"

#include <strings.h>

#include "libs/util/TextTools.h"
#include "orva41/ORVA41Reader.h"

namespace {

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  const size_t n = std::char_traits<char>::length(prefix);
  return s.size() >= n && strncasecmp(s.c_str(), prefix, n) == 0;
}

bool IsSection(const std::string& line, const char* section) { return strcasecmp(line.c_str(), section) == 0; }

// The text of the file's first lines that say something: a [Dictionary] section whose
// version line names ORVA (a Travo dictionary starts alike, with its own version), or, as
// an ORVA 4.1 dictionary may leave out its [Dictionary] section, a [Common] or [Record]
// section.
bool DetectOrva41(std::string_view firstBytes) {
  const std::vector<std::string> lines = SignificantLines(firstBytes, 2);
  if (lines.empty()) return false;
  if (IsSection(lines[0], "[Dictionary]")) {
    if (lines.size() < 2 || !StartsWithNoCase(lines[1], "Version=")) return false;
    std::string_view version(lines[1]);
    version.remove_prefix(8);
    while (!version.empty() && (version.front() == ' ' || version.front() == '\t' || version.front() == '\r'))
      version.remove_prefix(1);
    return StartsWithNoCase(std::string(version), "ORVA");
  }
  return IsSection(lines[0], "[Common]") || IsSection(lines[0], "[Record]");
}

}  // namespace

const FormatModule& Orva41Format() {
  static const FormatModule module{
      .format = FileFormat::Orva41,
      .name = "orva41",
      .extension = "ddw",
      .description = "an ORVA 4.1 dictionary",
      .detect = DetectOrva41,
      .readDictionary = orva41::LoadDictionary,
      .convertToTravo = orva41::ConvertToTravo,
      .convertFromTravo = nullptr,
      .describe = nullptr,  // the programs describe the dictionary it reads
  };
  return module;
}
