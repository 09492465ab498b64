// Keys, forms and label text.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "VeskTestSupport.h"

using namespace vesktest;

namespace {

std::unique_ptr<Dic> LoadOk(const TempDir& dir, const VeskBuilder& b, const std::string& name = "T.DIC",
                            bool readOnly = true) {
  short result = 0;
  auto dic = Load(dir, b, &result, name, readOnly);
  EXPECT_EQ(result, 1) << dic->status;
  return dic;
}

std::vector<std::string> KeyVars(Key* key) {
  std::vector<std::string> names;
  for (uint16_t i = 0; i < key->vars->count; ++i) names.push_back(key->vars->NodeAt(i)->name);
  return names;
}

TEST(Key, LoadAdmitsOnlyAllowedVariablesAndGoesOnPastRefusals) {
  struct Case {
    const char* what;
    uint8_t flags;
    std::vector<std::string> names;
    std::vector<std::string> kept;
    uint16_t status;
  } cases[] = {
      {"blank flags: a repeating section's variable is refused", ' ', {"HID", "PAGE"}, {"HID"}, Key::kVarRefused},
      {"bit 0 clear admits it", 0x02, {"HID", "PAGE"}, {"HID", "PAGE"}, Key::kOk},
      {"decimals are refused whatever the flags", 0x00, {"MONEY", "HID"}, {"HID"}, Key::kVarRefused},
      {"an unknown name is passed over", 0x00, {"NOPE", "HID"}, {"HID"}, Key::kVarNotFound},
      {"a section with minimum 0 is refused under bit 0", 0x01, {"OPT"}, {}, Key::kVarRefused},
  };
  for (const auto& c : cases) {
    TempDir dir;
    VeskBuilder b;
    b.Header({});
    b.Section({.name = "HOUSE"});
    b.Variable({.name = "HID", .start = 1, .len = 3});
    b.Variable({.name = "MONEY", .start = 4, .len = 6, .decimals = 2});
    b.Section({.name = "PERSON", .maxOcc = 5});
    b.Variable({.name = "PAGE", .start = 4, .len = 2});
    b.Section({.name = "OPTION", .minOcc = 0});
    b.Variable({.name = "OPT", .start = 4, .len = 1});
    b.Key({.tag = 'M', .name = "ANYNAME", .vars = c.names, .flags = c.flags, .skipBlocks = 2});
    auto dic = LoadOk(dir, b);
    Key* key = dic->GetKey(0);
    EXPECT_EQ(KeyVars(key), c.kept) << c.what;
    EXPECT_EQ(key->status, c.status) << c.what;
    EXPECT_EQ(key->nVars, c.names.size()) << c.what;
    EXPECT_EQ(key->keyType, 1);
    EXPECT_EQ(key->name, "ANYNAME");
  }
}

TEST(Key, FiveVariablesTakeTwoNameBlocksOnReadingAndOnWriting) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({});
  for (const char* n : {"A", "B", "C", "D", "E"}) b.Variable({.name = n, .len = 2});
  b.Key({.tag = 'M', .name = "PRIMARY", .vars = {"A", "B", "C", "D", "E"}});
  size_t keyAt = b.Bytes().rfind("MPRIMARY");
  auto dic = LoadOk(dir, b, "T.DIC", false);
  Key* key = dic->GetKey(0);
  EXPECT_EQ(KeyVars(key), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
  EXPECT_EQ(key->keyLen, 10);
  EXPECT_EQ(key->keyFlags, 1);  // a blank flag byte
  EXPECT_EQ(dic->GetVar("A")->key, key);
  EXPECT_EQ(key->filePos, static_cast<int32_t>(keyAt));

  ASSERT_EQ(dic->Trunc(), 1);
  Key* again = new Key(dic.get(), "PRIMARY", 1);
  for (const char* n : {"A", "B", "C", "D", "E"}) again->Put(dic->GetVar(n));
  again->Put(nullptr);
  again->keyFlags = 0x0102;
  dic->keys->Put(again->name, again);
  ASSERT_EQ(dic->ReplaceIndex(), 1);
  EXPECT_EQ(again->filePos, static_cast<int32_t>(keyAt));
  std::string path = dic->GetDicName();
  dic.reset();

  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_EQ(bytes.size(), keyAt + 3 * 32);
  // Written as MAIN_IDX whatever its name; the flag byte is the low byte of keyFlags.
  EXPECT_EQ(bytes.substr(keyAt, 13), std::string("MMAIN_IDX\x05\0\0\x02", 13));
  EXPECT_EQ(bytes.substr(keyAt + 13, 19), std::string(19, ' '));
  EXPECT_EQ(bytes.substr(keyAt + 32), "A       B       C       D       E" + std::string(31, ' '));

  Key lonely(nullptr, nullptr, 2);
  EXPECT_EQ(lonely.Save(), 1);  // no variables: nothing written
  EXPECT_EQ(lonely.filePos, -1);
  EXPECT_EQ(lonely.name, "");
}

TEST(Frm, WidthIsComposedFromTwoSignedBytes) {
  struct Case {
    uint8_t b21, b22;
    int width;
  } cases[] = {{200, 0, 80}, {100, 0, 100}, {0, 1, 80}, {254, 0, 80}, {127, 0, 127}, {0, 0, 0}};
  for (const auto& c : cases) {
    TempDir dir;
    VeskBuilder b;
    b.Header({});
    b.Section({});
    b.Form({.name = "F", .attr10 = 7, .attr11 = 8, .attr20 = 9, .lines = 12, .fields = 3, .width21 = c.b21,
            .width22 = c.b22});
    auto dic = LoadOk(dir, b);
    Frm* frm = FrmOf(dic->forms, 0);
    EXPECT_EQ(frm->width, c.width) << int(c.b21) << "," << int(c.b22);
    EXPECT_EQ(frm->attr10 + frm->attr11 + frm->attr20, 24);
    EXPECT_EQ(frm->nLines, 12);
    EXPECT_EQ(frm->nFields, 3);
  }
}

TEST(Frm, ReadExpandsTabsKeepsLinesAndBlanksFields) {
  struct Case {
    std::string text;
    int blank;
    std::string expected;
  } cases[] = {
      {"xy\tz\n", 0, "xy      z\n"},
      {"\tA\n\n12345678\tB\n", 0, "        A\n\n12345678        B\n"},
      {"Name [____] Age [__]\nrest", 1, "Name        Age     \n"},
      {"[open field\nnext]\n", 1, "           \n     \n"},
      {"Line one that is long enough to run past one block\nTwo\n", 0,
       "Line one that is long enough to run past one block\nTwo\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    VeskBuilder b;
    b.Header({});
    b.Section({});
    b.Form({.name = "F", .text = c.text});
    auto dic = LoadOk(dir, b);
    Frm* frm = FrmOf(dic->forms, 0);
    const char* text = frm->Read(c.blank);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), c.expected) << c.text;
    frm->FreeBuf();
    EXPECT_EQ(frm->text, nullptr);
  }
}

TEST(Frm, ReadStopsAtItsBufferAndAtTheEndOfTheFile) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({});
  // Room for (0 + 1) * 4 * 8 + 2 = 34 bytes: two 12-character lines fit, the third not.
  b.Form({.name = "SMALL", .lines = 0, .width21 = 4, .text = "0123456789A\n0123456789B\n0123456789C\n"});
  b.Form({.name = "NEG", .lines = -5, .width21 = 4, .text = "abc\n"});
  size_t lost = b.Form({.name = "LOST", .text = "ab\n"});
  b.Put16(lost + 12, 9);  // nine text blocks claimed at the end of the file
  auto dic = LoadOk(dir, b);

  Frm* small = FrmOf(dic->forms, 0);
  ASSERT_NE(small->Read(0), nullptr);
  EXPECT_STREQ(small->text, "0123456789A\n0123456789B\n");
  EXPECT_EQ(small->status, Frm::kTextCut);

  Frm* negative = FrmOf(dic->forms, 1);
  ASSERT_NE(negative->Read(0), nullptr);
  EXPECT_STREQ(negative->text, "abc\n");

  Frm* past = FrmOf(dic->forms, 2);
  EXPECT_EQ(past->Read(0), nullptr);
  EXPECT_EQ(past->status, Frm::kReadFailed);
  EXPECT_EQ(past->text, nullptr);

  dic->Close();
  Frm* closed = FrmOf(dic->forms, 0);
  closed->FreeBuf();
  closed->fd = -1;
  EXPECT_EQ(closed->Read(0), nullptr);
  EXPECT_EQ(closed->status, Frm::kNotOpen);
}

TEST(Frm, OccurrenceCellsAreBoundedByTheSectionsOccurrences) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({.name = "G", .maxOcc = 1, .groupOcc = 3});
  std::vector<uint16_t> many;
  for (uint16_t i = 0; i < 40; ++i) many.push_back(static_cast<uint16_t>(0x0100 + i));
  b.Form({.name = "F1", .text = "a\n", .cells = many});
  b.Form({.name = "F2"});
  b.Section({.name = "R", .maxOcc = 2});
  size_t cut = b.Form({.name = "F3", .cells = {0, 0, 0x0203}});
  b.Put16(cut + 14, 50);  // fifty blocks claimed, one present
  auto dic = LoadOk(dir, b);

  Frm* f1 = FrmOf(dic->forms, 0);
  ASSERT_EQ(f1->nCellEntries, 3 + 4);
  std::vector<uint16_t> cells(f1->cells, f1->cells + f1->nCellEntries);
  EXPECT_EQ(cells, (std::vector<uint16_t>{0x100, 0x101, 0x102, 0x103, 0x104, 0, 0}));
  EXPECT_EQ(f1->GetCell(4), 0x104);
  EXPECT_EQ(f1->GetCell(7), 0);
  EXPECT_EQ(f1->GetCell(-1), 0);
  EXPECT_STREQ(f1->Read(0), "a\n");  // the cell blocks follow the text blocks

  Frm* f2 = FrmOf(dic->forms, 1);
  EXPECT_EQ(f2->cells, nullptr);
  EXPECT_EQ(f1->nextInSec, f2);
  EXPECT_EQ(f2->prevInSec, f1);

  Frm* f3 = FrmOf(dic->forms, 2);
  EXPECT_EQ(f3->nCellEntries, 2 + 4);
  EXPECT_EQ(f3->GetCell(2), 0x0203);
  EXPECT_EQ(f3->prev, f2);
  EXPECT_EQ(f3->prevInSec, nullptr);
  EXPECT_EQ(f2->next, f3);
}

// A label run written straight to a file, read with a Lab of the given blocks.
struct LabFile {
  TempDir dir;
  int fd = -1;
  explicit LabFile(const std::string& bytes) {
    std::string path = dir.file("LAB");
    std::ofstream(path, std::ios::binary) << bytes;
    fd = ::open(path.c_str(), O_RDONLY);
  }
  ~LabFile() { ::close(fd); }
};

TEST(Lab, GetLabelReturnsOneLabelPerCall) {
  LabFile file(VeskBuilder::LabelBlocks({"First", "A label longer than ten", "", "Last"}));
  Lab lab(file.fd, 2, 0);
  ASSERT_EQ(lab.Load(), 1);
  EXPECT_EQ(lab.Load(), 1);  // already loaded
  char out[16];
  char* cursor = lab.text + 2;
  std::vector<std::string> got;
  for (int i = 0; i < 5; ++i) {
    cursor = lab.GetLabel(out, cursor, 10);
    ASSERT_NE(cursor, nullptr);
    got.push_back(out);
  }
  EXPECT_EQ(got, (std::vector<std::string>{"First     ", "A label lo", "          ", "Last      ", "          "}));
  EXPECT_EQ(cursor, lab.text + lab.Length() - 1);  // stays at the end
  EXPECT_EQ(lab.GetLabel(out, nullptr, 3), nullptr);
  EXPECT_STREQ(out, "   ");
  lab.Free();
  EXPECT_EQ(lab.GetLabel(out, cursor, 3), nullptr);
}

TEST(Lab, LengthsAndPositionsFromTheFileNeverReachPastTheText) {
  std::string run = VeskBuilder::LabelBlocks({"Alpha", "Beta"});
  std::string claimsMore = run;
  claimsMore[0] = static_cast<char>(0xE8);  // 1000 bytes claimed in one block
  claimsMore[1] = 0x03;
  std::string zero = run;
  zero[0] = zero[1] = 0;
  struct Case {
    const char* what;
    std::string bytes;
    int blocks, start;
    int32_t result, status, length;
  } cases[] = {
      {"a length beyond its blocks is cut to them", claimsMore, 1, 0, 1, Lab::kOk, 32},
      {"a length beyond the file is cut to it", claimsMore.substr(0, 20), 40, 0, 1, Lab::kOk, 20},
      {"length zero", zero, 1, 0, 0, Lab::kNoText, 0},
      {"no blocks", run, 0, 0, 0, Lab::kNoText, 0},
      {"a start past the end of the file", run, 1, 9, 0, Lab::kNoText, 0},
      {"a negative start", run, 1, -3, 0, Lab::kNoText, 0},
  };
  for (const auto& c : cases) {
    LabFile file(c.bytes);
    Lab lab(file.fd, c.blocks, c.start);
    EXPECT_EQ(lab.Load(), c.result) << c.what;
    EXPECT_EQ(lab.status, c.status) << c.what;
    EXPECT_EQ(lab.Length(), c.length) << c.what;
    char out[64];
    const char* cursor = lab.text ? lab.text + 2 : nullptr;
    for (int i = 0; i < 6 && cursor; ++i) cursor = lab.GetLabel(out, cursor, 60);
  }
  Lab closed(-1, 3, 0);
  EXPECT_EQ(closed.Load(), 0);
}

TEST(Lab, StaticHelpers) {
  char s[8];
  Lab::cleanstr(s, 5);
  EXPECT_STREQ(s, "     ");
  std::memset(s, 'x', sizeof s);
  Lab::copytext(s, "ab", 4);
  EXPECT_EQ(std::string(s, 5), "ab  x");  // no NUL written
  Lab::copytext(s, "abcdef", 3);
  EXPECT_EQ(std::string(s, 5), "abc x");
  char text[] = "key=value";
  EXPECT_EQ(Lab::stpbrk(text, "=;"), text + 3);
  EXPECT_EQ(Lab::stpbrk(text, "#"), nullptr);
}

}  // namespace
