// The dictionary file as a whole: naming, opening, the header, the object scan, the
// status codes of a failed load, section order and the key operations.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "VeskTestSupport.h"

using namespace vesktest;

namespace {

TEST(Dic, NamesItsFileAndRecognisesWorkDictionaries) {
  struct Case {
    const char* given;
    const char* file;
  } cases[] = {{"SURVEY", "SURVEY.DIC"},
               {"SURVEY.WST", "SURVEY.WST"},
               {"old.v2/SURVEY", "old.v2/SURVEY.DIC"},
               {"/data/s.dic", "/data/s.dic"}};
  for (const auto& c : cases) EXPECT_EQ(Dic(c.given).GetDicName(), c.file) << c.given;
  EXPECT_EQ(Dic().GetDicName(), "");
  EXPECT_EQ(Dic().status, Dic::kOk);

  for (const char* yes : {"a.wst", "A.WST", "a.Wst", "/x.y/b.wSt"}) EXPECT_TRUE(Dic::IsWorkDict(yes)) << yes;
  for (const char* no : {"a.wst2", "a", "wst", "dir.wst/a", "a.dic", ""}) EXPECT_FALSE(Dic::IsWorkDict(no)) << no;
}

TEST(Dic, OpenCloseAndLoadPreconditionsReportTheirCodes) {
  TempDir dir;
  Dic unnamed;
  EXPECT_EQ(unnamed.Open(true), 0);
  EXPECT_EQ(unnamed.status, Dic::kNoName);

  Dic missing(dir.file("NONE.DIC").c_str());
  EXPECT_EQ(missing.Open(true), 0);
  EXPECT_EQ(missing.status, Dic::kOpenFailed);
  EXPECT_EQ(missing.Close(), 1);  // closing a closed dictionary succeeds

  Dic untyped(dir.file("NONE.DIC").c_str());
  EXPECT_EQ(untyped.DictLoad(), 0);
  EXPECT_EQ(untyped.status, Dic::kBadType);
  untyped.SetDicType(Dic_eDictFile);
  EXPECT_EQ(untyped.DictLoad(), 0);
  EXPECT_EQ(untyped.status, Dic::kNotOpen);
}

// Each row: a file, and what DictLoad gives for it.
struct BadFile {
  const char* what;
  std::function<void(VeskBuilder&)> build;
  short result;
  uint16_t status;
};

TEST(Dic, EveryLoadFailureLeavesItsStatusCode) {
  const BadFile rows[] = {
      {"header shorter than 64 bytes", [](VeskBuilder& b) { b.Raw("D SHORT"); }, 0, Dic::kShortHeader},
      {"tag S in a dictionary file",
       [](VeskBuilder& b) {
         HeaderSpec h;
         h.tag = 'S';
         b.Header(h);
         b.Section({});
       },
       0, Dic::kBadType},
      {"no level in the header",
       [](VeskBuilder& b) {
         HeaderSpec h;
         h.levelIdLen[0] = 0;
         h.levelIdLen[1] = -4;
         b.Header(h);
       },
       0, Dic::kNoLevel},
      {"negative label block count",
       [](VeskBuilder& b) { b.Put16(b.Header({}) + 56, -1); }, 0, Dic::kSeekFailed},
      {"blank where a tag belongs: the scan ends", [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Raw(std::string(32, ' '));
       },
       1, Dic::kScanBadTag},
      {"keys but no main index",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Variable({.name = "ID"});
         b.Key({.tag = 'I', .name = "SECOND", .vars = {"ID"}});
       },
       0, Dic::kNoMainIndex},
      {"level byte not a digit",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({.level = 'X'});
       },
       0, Sec::kReadFailed},
      {"level 0",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({.level = '0'});
       },
       0, Sec::kReadFailed},
      {"truncated section record",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Truncate(b.Size() - 5);
       },
       0, Sec::kReadFailed},
      {"variable before any section", [](VeskBuilder& b) {
         b.Header({});
         b.Variable({});
       },
       0, Var::kNoSection},
      {"form before any section", [](VeskBuilder& b) {
         b.Header({});
         b.Form({});
       },
       0, Frm::kNoSection},
      {"multiple variable in a section without group",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({.maxOcc = 3, .groupOcc = 1});
         b.Variable({.kind = 'M'});
       },
       0, Sec::kNoGroup},
      {"truncated variable extension",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Variable({.len = 300});
         b.Truncate(b.Size() - 1);
       },
       0, Var::kReadFailed},
      {"transformation with a source text over 19 characters",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Variable({.transformation = "\"ABCDEFGHIJKLMNOPQRST\" 1"});
       },
       0, Var::kBadTransformation},
      {"key without variables",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Key({});
       },
       0, Key::kNoVars},
      {"negative label count of a variable",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Put16(b.Variable({}) + 18, -2);
       },
       0, Var::kSeekFailed},
      {"negative text block count of a form",
       [](VeskBuilder& b) {
         b.Header({});
         b.Section({});
         b.Put16(b.Form({}) + 12, -1);
       },
       0, Frm::kSeekFailed},
  };
  for (const auto& row : rows) {
    TempDir dir;
    VeskBuilder b;
    row.build(b);
    short result = -1;
    auto dic = Load(dir, b, &result);
    EXPECT_EQ(result, row.result) << row.what;
    EXPECT_EQ(dic->status, row.status) << row.what;
  }
}

TEST(Dic, HeaderFieldsAndAFileEndingAfterTheHeader) {
  TempDir dir;
  VeskBuilder b;
  HeaderSpec h;
  h.name = "HOUSE\xB0\x01";  // bytes from 0x80 and controls count as trailing blanks
  h.levelIdStart[1] = 4;
  h.levelIdLen[1] = 2;
  h.levelIdLen[2] = -1;
  h.recTypeStart = 7;
  h.recTypeLen = 2;
  h.labels = {"Household survey"};
  h.extraBlocks = 2;
  b.Header(h);
  short result = 0;
  auto dic = Load(dir, b, &result);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(dic->status, Dic::kOk);
  EXPECT_EQ(dic->dicName, "HOUSE");
  EXPECT_EQ(dic->GetNumLevels(), 2);
  EXPECT_EQ(dic->totalIdLen, 5);
  EXPECT_EQ(dic->levelIdStart[1], 4);
  EXPECT_EQ(dic->recTypeStart, 7);
  EXPECT_EQ(dic->recTypeLen, 2);
  EXPECT_STREQ(dic->created, "010199");
  EXPECT_STREQ(dic->modified, "020299");
  EXPECT_EQ(dic->numSecs + dic->numVars + dic->numKeys + dic->numForms, 0);
  ASSERT_NE(dic->labels, nullptr);
  EXPECT_EQ(dic->labels->startBlock, 2);
  ASSERT_EQ(dic->labels->Load(), 1);
  char line[31];
  dic->labels->GetLabel(line, dic->labels->text + 2, 30);
  EXPECT_STREQ(line, "Household survey              ");
}

// Two sections, variables on a form, and two keys written secondary first.
VeskBuilder Survey() {
  VeskBuilder b;
  b.Header({});
  b.Section({.name = "PERSON", .code = "2", .maxOcc = 9});
  b.Variable({.name = "ID", .start = 1, .len = 3, .form = "PF"});
  b.Variable({.name = "AGE", .start = 5, .len = 2, .form = "PF", .row = 2, .col = 10});
  b.Variable({.name = "NOTE", .type = 'A', .start = 7, .len = 10});
  b.Form({.name = "PF", .fields = 2, .text = "Age [  ]\n"});
  b.Section({.name = "HOUSE", .code = "1"});
  b.Variable({.name = "HID", .start = 1, .len = 3});
  b.Key({.tag = 'I', .name = "BYAGE", .vars = {"HID"}});
  b.Key({.tag = 'M', .name = "MAIN_IDX", .vars = {"HID"}});
  return b;
}

TEST(Dic, LoadBuildsListsIndexesAndLinks) {
  TempDir dir;
  short result = 0;
  auto dic = Load(dir, Survey(), &result);
  ASSERT_EQ(result, 1) << dic->status;
  EXPECT_EQ(dic->numSecs, 2);
  EXPECT_EQ(dic->numVars, 4);
  EXPECT_EQ(dic->numForms, 1);
  EXPECT_EQ(dic->numKeys, 2);

  Sec* person = dic->GetSec("PERSON");
  ASSERT_NE(person, nullptr);
  EXPECT_EQ(person->secIndex, 0);
  EXPECT_EQ(dic->GetSec(1)->name, "HOUSE");
  EXPECT_EQ(dic->GetSec(2), nullptr);
  EXPECT_EQ(dic->GetSec(-1), nullptr);  // taken as 65535
  EXPECT_EQ(person->next, dic->GetSec(1));
  EXPECT_EQ(dic->GetSec(1)->prev, person);
  EXPECT_STREQ(dic->GetVar(3)->name, "HID");
  EXPECT_EQ(dic->GetVar(3)->varIndex, 3);

  Var* age = dic->GetVar("AGE     ");
  ASSERT_NE(age, nullptr);
  Frm* pf = FrmOf(person->forms, 0);
  EXPECT_EQ(age->frm, pf);
  EXPECT_EQ(dic->GetVar("NOTE")->frm, nullptr);
  ASSERT_EQ(pf->vars->count, 2);
  EXPECT_EQ(pf->vars->NodeAt(1)->name, "AGE");
  EXPECT_EQ(dic->GetVar("NOPE"), nullptr);

  // The main index comes first whatever the file order; keyIndex follows the list.
  EXPECT_EQ(dic->GetKey(0)->name, "MAIN_IDX");
  EXPECT_EQ(dic->GetKey(0)->keyIndex, 0);
  EXPECT_EQ(dic->GetKey("BYAGE")->keyIndex, 1);
  EXPECT_EQ(dic->GetVar("HID")->key, dic->GetKey("MAIN_IDX"));  // the last key loaded that starts with it
}

TEST(Dic, WorkDictionaryHasAMadeUpHeaderCodesAndShiftedStarts) {
  TempDir dir;
  VeskBuilder b;
  b.Section({.name = "FIRST", .level = '3'});
  b.Variable({.name = "A", .start = 1, .len = 2});
  b.Section({.name = "SECOND"});
  short result = 0;
  auto dic = Load(dir, b, &result, "LONGFILENAME.wst");
  ASSERT_EQ(result, 1) << dic->status;
  EXPECT_EQ(dic->GetDicType(), Dic_eWorkDict);
  EXPECT_EQ(dic->GetExtraLen(), 3);
  EXPECT_EQ(dic->dicName, "LONGFILE");
  EXPECT_EQ(dic->GetNumLevels(), 1);
  EXPECT_EQ(dic->levelIdStart[0], 1);
  EXPECT_EQ(dic->levelIdLen[0], 1);
  EXPECT_EQ(dic->recTypeStart, 2);
  EXPECT_EQ(dic->recTypeLen, 2);
  EXPECT_EQ(std::strlen(dic->created), 6u);
  EXPECT_STREQ(dic->GetSec(0)->code, "AA ");
  EXPECT_STREQ(dic->GetSec(1)->code, "AB ");
  EXPECT_EQ(dic->GetSec(0)->level, 1);
  EXPECT_EQ(dic->GetVar("A")->start, 4);
}

TEST(Dic, GeneratedSectionCodesRunThroughTheAlphabet) {
  Dic dic;
  std::vector<CString> codes;
  for (int i = 0; i < 677; ++i) codes.push_back(dic.GenerateSecCode());
  EXPECT_EQ(codes[0], "AA");
  EXPECT_EQ(codes[25], "AZ");
  EXPECT_EQ(codes[26], "BA");
  EXPECT_EQ(codes[675], "ZZ");
  EXPECT_EQ(codes[676], "[A");
}

TEST(Dic, ReorderSectionsSortsStablyByLevelAndKeepsEverySection) {
  TempDir dir;
  VeskBuilder b;
  HeaderSpec h;
  h.levelIdLen[1] = 1;
  b.Header(h);
  const std::vector<std::pair<const char*, char>> sections = {{"A2", '2'}, {"B1", '1'}, {"C3", '3'}, {"D2", '2'}, {"E1", '1'}};
  for (auto [name, level] : sections) b.Section({.name = name, .level = level});
  short result = 0;
  auto dic = Load(dir, b, &result);
  ASSERT_EQ(result, 1);
  Lst* before = dic->secs;
  ASSERT_TRUE(dic->ReorderSections());
  std::vector<std::string> order;
  for (Nod* n = dic->secs->First(); n; n = dic->secs->Next()) order.push_back(n->name);
  // C3 lies beyond the two levels of the header: it stays, after the others.
  EXPECT_EQ(order, (std::vector<std::string>{"B1", "E1", "A2", "D2", "C3"}));
  EXPECT_EQ(dic->secs, before);
  EXPECT_TRUE(dic->ReorderSections());  // already in order: unchanged
}

TEST(Dic, AStatusLeftFailedBeforeTheLoadFailsItInsteadOfEndingTheProcess) {
  TempDir dir;
  VeskBuilder b = Survey();
  std::string path = dir.file("S.DIC");
  b.WriteTo(path);
  Dic dic;
  ASSERT_EQ(dic.Open(true), 0);  // leaves 4013 behind
  CString name = path;
  dic.SetDicName(name);
  dic.SetDicType(Dic_eDictFile);
  ASSERT_EQ(dic.Open(true), 1);
  EXPECT_EQ(dic.status, Dic::kNoName);  // success does not reset the status
  EXPECT_EQ(dic.DictLoad(), 0);
  EXPECT_EQ(dic.status, Dic::kNoName);
  EXPECT_EQ(dic.secs->count, 1);  // what was loaded stays, and is released with the dictionary
}

TEST(Dic, MainIndexMovesToEitherEnd) {
  TempDir dir;
  short result = 0;
  auto dic = Load(dir, Survey(), &result);
  ASSERT_EQ(result, 1);
  ASSERT_EQ(dic->MoveMainIdx(2), 1);
  EXPECT_EQ(dic->GetKey(1)->keyType, 1);
  ASSERT_EQ(dic->MoveMainIdx(0), 1);
  EXPECT_EQ(dic->GetKey(0)->keyType, 1);
  dic->GetKey(0)->keyType = 2;
  EXPECT_EQ(dic->MoveMainIdx(1), 0);
  EXPECT_EQ(dic->status, Dic::kNoMainIndex);

  Dic empty;
  EXPECT_EQ(empty.MoveMainIdx(1), 0);
  EXPECT_EQ(empty.status, Dic::kNoKeys);
  EXPECT_EQ(empty.Trunc(), 1);
  EXPECT_EQ(empty.ReplaceIndex(), 0);
  EXPECT_EQ(empty.status, Dic::kNotOpen);
}

TEST(Dic, TruncRemovesEveryKeyRecordAndReplaceIndexWritesThemBack) {
  TempDir dir;
  VeskBuilder b = Survey();
  size_t firstKey = b.Bytes().rfind("IBYAGE");
  short result = 0;
  auto dic = Load(dir, b, &result, "T.DIC", false);
  ASSERT_EQ(result, 1);
  std::string path = dic->GetDicName();

  ASSERT_EQ(dic->Trunc(), 1);
  EXPECT_EQ(std::filesystem::file_size(path), firstKey);
  EXPECT_EQ(dic->keys->count, 0);
  EXPECT_EQ(dic->GetVar("HID")->key, nullptr);
  EXPECT_EQ(dic->ReplaceIndex(), 0);
  EXPECT_EQ(dic->status, Dic::kNoKeys);

  Key* k1 = new Key(dic.get(), "MAIN_IDX", 1);
  k1->Put(dic->GetVar("HID"));
  Key* k2 = new Key(dic.get(), "BYAGE", 2);
  k2->Put(dic->GetVar("HID"));
  k2->Put(dic->GetVar("ID"));
  dic->keys->Put(k1->name, k1);
  dic->keys->Put(k2->name, k2);
  ASSERT_EQ(dic->ReplaceIndex(), 1) << dic->status;
  dic->Close();

  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes[30], 1);  // keys minus one
  EXPECT_EQ(bytes.substr(firstKey), std::string("MMAIN_IDX\x01\0\0\x01", 13) + std::string(19, ' ') + "HID" +
                                        std::string(29, ' ') + std::string("IBYAGE   \x02\0\0\x01", 13) +
                                        std::string(19, ' ') + "HID     ID" + std::string(22, ' '));

  short again = 0;
  Dic reread(path.c_str());
  reread.SetDicType(Dic_eDictFile);
  ASSERT_EQ(reread.Open(true), 1);
  again = reread.DictLoad();
  ASSERT_EQ(again, 1) << reread.status;
  EXPECT_EQ(reread.numKeys, 2);
  // ID lies in a repeating section, which the written flags (1) do not admit.
  EXPECT_EQ(reread.GetKey(1)->vars->count, 1);
  EXPECT_EQ(reread.GetKey(1)->status, Key::kVarRefused);
}

TEST(Dic, CopiesShareTheLoadedObjectsWithoutReleasingThemTwice) {
  TempDir dir;
  short result = 0;
  auto dic = Load(dir, Survey(), &result);
  ASSERT_EQ(result, 1);
  Dic copy(*dic);
  EXPECT_EQ(copy.fd, -1);
  EXPECT_EQ(copy.secs, dic->secs);
  dic.reset();
  EXPECT_EQ(copy.GetSec(0)->name, "PERSON");
  Dic assigned;
  assigned = copy;
  EXPECT_EQ(assigned.numVars, 4);
}

}  // namespace
