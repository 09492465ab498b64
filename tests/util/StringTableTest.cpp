#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "res/StringTable.h"

namespace {

struct Entry {
  int id;
  const char* text;
};

TEST(StringTable, EveryEntryHasItsExactText) {
  const std::vector<Entry> expected = {
      {100, "&About Mollox..."},
      {101, "&Convert ORVA 3.1 Data Dictionary file"},
      {102, "&to ORVA 3.1 Data Dictionary file"},
      {103, "ORVA 3.1 Data Dictionary"},
      {104, "dd"},
      {105, "ORVA 3.1 Dict (*.dd)|*.dd|All Files (*.*)|*.*||"},
      {111, "&Convert ORVA 4.1 Data Dictionary file"},
      {112, "ORVA 4.1 Data Dictionary"},
      {113, "ddw"},
      {114, "ORVA 4.1 Dict (*.ddw)|*.ddw|All Files (*.*)|*.*||"},
      {121, "&Convert VESK Data Dictionary file"},
      {122, "&to VESK Data Dictionary file"},
      {123, "VESK Data Dictionary"},
      {124, "dic,wst"},
      {125, "VESK Dict (*.dic)|*.dic|VESK Work Dict (*.wst)|*.wst|All Files (*.*)|*.*||"},
      {131, "&Convert Travo Data Dictionary"},
      {132, "&to Travo Data Dictionary file"},
      {133, "Travo Data Dictionary"},
      {134, "dcf"},
      {135, "Travo Dict (*.dcf)|*.dcf|All Files (*.*)|*.*||"},
      {136, "&to Travo Forms file"},
      {137, "Travo Forms"},
      {138, "fmf"},
      {139, "Travo Forms (*.fmf)|*.fmf|All Files (*.*)|*.*||"},
      {151, "\n\nThis path name contains invalid characters."},
      {201, "File name too long:\n%s"},
      {202, "I/O Error"},
      {203, "File is not an ORVA 3.1 Data Dictionary."},
      {204, "Dictionary is not from ORVA version 3.1"},
      {205, "ORVA 3.1 Dictionary is not usable."},
      {206, "ORVA 3.1 Dictionary is already being used; please close first."},
      {208, "Converting ..."},
      {209, "Validating ..."},
      {210, "Saving ..."},
      {211, "ORVA 3.1 Dictionary successfully converted."},
      {212, "ORVA 3.1 Dictionary not converted."},
      {213, "I/O Error reading record %d."},
      {214, "Internal error -- record not found; rec %d."},
      {215, "I/O Error reading record %d, item %d."},
      {216, "Internal error -- item not found; rec %d item %d."},
      {217, "The following items overlapped with COMMON items and were removed:\r\n"},
      {218, "Questionnaire"},
      {219, "QUEST"},
      {230, "File is not an ORVA 4.1 Data Dictionary."},
      {231, "Unrecognized section name at line %d."},
      {232, "Unrecognized command at line %d."},
      {233, "Invalid syntax at line %d."},
      {234, "ORVA 4.1 Dictionary successfully converted."},
      {235, "ORVA 4.1 Dictionary not converted."},
      {260, "Travo Data Dictionary has more than one level!\n\nFile organization is collaped to one level in ORVA 3.1 Data Dictionary."},
      {261, "Error opening file  %s  for writing."},
      {262, "\n\nFile in use by another process."},
      {263, "I/O Error saving dictionary."},
      {265, "Error adding record: %s"},
      {266, "In ORVA 3.1, a numeric data item cannot be longer than 15 characters.\n\nYou must shorten item: %s"},
      {267, "Error adding item: %s"},
      {268, "Too many value names for an ORVA 3.1 dictionary."},
      {269, "Too many values for an ORVA 3.1 dictionary."},
      {270, "Name:  %s too long for ORVA 3.1\nName truncated."},
      {271, "ORVA 3.1 cannot handle items containing decimal characters\nItem:  %s"},
      {272, "Item %s length > 15 characters.\nValues cannot be saved in ORVA 3.1 dictionary."},
      {273, "Subitems found in Common.\n\nPromoted to Id items in Travo."},
      {57344, "Travo 4.0 Convert Dictionary"},
  };
  std::set<int> ids;
  for (const auto& e : expected) {
    ids.insert(e.id);
    const char* text = LoadResString(e.id);
    ASSERT_NE(text, nullptr) << e.id;
    EXPECT_EQ(std::string(text), e.text) << e.id;
  }
  for (int id = 90; id <= 300; ++id) {
    if (ids.count(id)) continue;
    EXPECT_EQ(LoadResString(id), nullptr) << id;
  }
  EXPECT_EQ(LoadResString(-1), nullptr);
  EXPECT_EQ(LoadResString(IDS_APP_TITLE + 1), nullptr);
}

}  // namespace
