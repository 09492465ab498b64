// The string table against its users: every id the sources ask for has a text, ids
// without an entry have none, and the texts the program's users see are the ones fixed
// for them.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "Files.h"
#include "res/StringTable.h"

namespace {

namespace fs = std::filesystem;

// The program's sources: the folders above and beside the table that read it.
std::vector<fs::path> SourceFiles() {
  std::vector<fs::path> files;
  for (const char* folder : {"app", "libs", "orva31", "orva41", "veskconv", "vesk", "travo", "res"}) {
    const fs::path root = fs::path(TRAVO_SOURCE_DIR) / folder;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator(); ++it) {
      const std::string ext = it->path().extension().string();
      if (it->is_regular_file() && (ext == ".cpp" || ext == ".h")) files.push_back(it->path());
    }
  }
  return files;
}

// Where an id was found: "orva31/ConvertORVA31.cpp: IDS_SAVING = 210".
using Uses = std::multimap<int, std::string>;

// Adds the numbers of every match of pattern's first group in text to uses.
void Collect(const std::string& text, const std::string& where, const std::regex& pattern, Uses& uses) {
  static const std::regex number(R"(\b\d{3,5}\b)");
  for (std::sregex_iterator m(text.begin(), text.end(), pattern), end; m != end; ++m) {
    const std::string found = (*m)[1].str();
    for (std::sregex_iterator n(found.begin(), found.end(), number); n != end; ++n) {
      uses.emplace(std::stoi(n->str()), where + ": " + m->str());
    }
  }
}

struct IdsInSources {
  Uses named;     // IDS_SAVING = 210, kInvalidPathCharsId = 151
  Uses literal;   // SetStatus(208), LoadString(saved ? 234 : 235), ReportAtLine(app, 231, ...)
  Uses kindRows;  // the conversion kinds' labels, titles, extensions and filters
};

IdsInSources FindIds() {
  static const std::regex named(R"(\b(?:IDS_\w+|k\w*Id)\s*=\s*(\d+))");
  static const std::regex literal(R"(\b(?:LoadResString|LoadString|SetStatus|ResText|ResString|ReportAtLine)\s*\(([^;]*))");
  static const std::regex kindRow(R"(\{KIND_\w+,\s*"[^"]*",\s*((?:\d+,\s*)+))");
  IdsInSources ids;
  for (const fs::path& file : SourceFiles()) {
    const std::string text = ReadTextFile(file.string());
    const std::string where = fs::relative(file, TRAVO_SOURCE_DIR).string();
    Collect(text, where, named, ids.named);
    Collect(text, where, literal, ids.literal);
    Collect(text, where, kindRow, ids.kindRows);
  }
  return ids;
}

void ExpectEveryIdHasAText(const Uses& uses) {
  for (const auto& [id, where] : uses) EXPECT_NE(LoadResString(id), nullptr) << where;
}

TEST(StringTable, EveryIdTheSourcesUseHasAText) {
  const IdsInSources ids = FindIds();
  // An empty harvest means the sources moved or changed their ways, not that all is well.
  ASSERT_FALSE(ids.named.empty());
  ASSERT_FALSE(ids.literal.empty());
  ASSERT_FALSE(ids.kindRows.empty());
  ExpectEveryIdHasAText(ids.named);
  ExpectEveryIdHasAText(ids.literal);
  ExpectEveryIdHasAText(ids.kindRows);
  EXPECT_EQ(ids.kindRows.size() % 8, 0u) << "each kind names 8 strings";
  // The ORVA 3.1 access layer's error codes -1 to -5 pick the texts 202 to 206 by
  // arithmetic, which no search of the sources sees.
  for (int id = 202; id <= 206; ++id) EXPECT_NE(LoadResString(id), nullptr) << id;
}

TEST(StringTable, IdsWithoutAnEntryHaveNoText) {
  for (int id : {-1, 0, 99, 106, 150, 152, 200, 207, 274, IDS_APP_TITLE - 1, IDS_APP_TITLE + 1}) {
    EXPECT_EQ(LoadResString(id), nullptr) << id;
  }
}

// Texts the users see, as they are fixed for them.
TEST(StringTable, HoldsTheFixedTexts) {
  const std::map<int, std::string> fixed = {
      {IDS_APP_TITLE, "Travo 4.0 Convert Dictionary"},
      {101, "&Convert ORVA 3.1 Data Dictionary file"},
      {124, "dic,wst"},
      {125, "VESK Dict (*.dic)|*.dic|VESK Work Dict (*.wst)|*.wst|All Files (*.*)|*.*||"},
      {151, "\n\nThis path name contains invalid characters."},
      {201, "File name too long:\n%s"},
      {206, "ORVA 3.1 Dictionary is already being used; please close first."},
      {208, "Converting ..."},
      {211, "ORVA 3.1 Dictionary successfully converted."},
      {217, "The following items overlapped with COMMON items and were removed:\r\n"},
      {218, "Questionnaire"},
      {219, "QUEST"},
      {260, "Travo Data Dictionary has more than one level!\n\nFile organization is collaped to one level in ORVA 3.1 "
            "Data Dictionary."},
  };
  for (const auto& [id, text] : fixed) {
    const char* found = LoadResString(id);
    ASSERT_NE(found, nullptr) << id;
    EXPECT_EQ(found, text) << id;
  }
}

}  // namespace
