// Sections, variables, groups, ranges and transformations as read from their records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "VeskTestSupport.h"

using namespace vesktest;

namespace {

uint64_t Bits(double d) {
  uint64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}

TEST(SpecialValues, HaveTheirExactBitsAndAreRestoredByInit) {
  InitSpecialValues();
  EXPECT_EQ(Bits(MISSING), 0x4A511B0EC57E6499ull);
  EXPECT_EQ(Bits(NOTAPPL), 0x4A8561D276DDFDBFull);
  EXPECT_EQ(Bits(DEFAULT), 0x4ABABA4714957D2Full);
  EXPECT_EQ(Bits(BLANK), 0x4AF0B46C6CDD6E3Dull);
  EXPECT_EQ(Bits(MARKER_MIN), Bits(MISSING));
  EXPECT_LT(MISSING, 1.0e50);
  EXPECT_EQ(std::nextafter(MISSING, 1.0e60), 1.0e50);
  MISSING = 0;
  InitSpecialValues();
  EXPECT_TRUE(SameBits(MISSING, kMissing));
  EXPECT_FALSE(SameBits(MISSING, NOTAPPL));
}

std::unique_ptr<Dic> LoadOk(const TempDir& dir, const VeskBuilder& b) {
  short result = 0;
  auto dic = Load(dir, b, &result);
  EXPECT_EQ(result, 1) << dic->status;
  return dic;
}

TEST(Sec, RecordGivesKindGroupCodeAndLevel) {
  struct Case {
    uint8_t maxOcc, groupOcc;
    char kind;
    bool group;
  } cases[] = {{0, 0, 'S', false}, {1, 5, 'S', true}, {2, 1, 'M', false}, {255, 2, 'M', true}};
  for (const auto& c : cases) {
    TempDir dir;
    VeskBuilder b;
    HeaderSpec h;
    h.levelIdLen[1] = 2;
    b.Header(h);
    b.Section({.name = "ROSTER  ", .level = '2', .code = "ABC", .minOcc = 0, .maxOcc = c.maxOcc,
               .groupOcc = c.groupOcc, .labels = {"Roster"}, .extraBlocks = 3});
    b.Section({.name = "NEXT"});
    auto dic = LoadOk(dir, b);
    Sec* sec = dic->GetSec(0);
    EXPECT_EQ(sec->name, "ROSTER");
    EXPECT_EQ(sec->secKind, c.kind) << int(c.maxOcc);
    EXPECT_EQ(sec->grp != nullptr, c.group) << int(c.groupOcc);
    if (sec->grp) {
      EXPECT_EQ(sec->grp->nOcc, c.groupOcc);
    }
    EXPECT_EQ(sec->occ->lo, 0);
    EXPECT_EQ(sec->occ->hi, c.maxOcc);
    EXPECT_EQ(sec->level, 2);
    EXPECT_STREQ(sec->code, "ABC");
    EXPECT_EQ(sec->labels->nBlocks, 1);
    EXPECT_EQ(dic->GetSec(1)->name, "NEXT");  // labels and extra blocks were passed over
  }

  // Without a record-type length the code stays blank.
  TempDir dir;
  VeskBuilder b;
  HeaderSpec h;
  h.recTypeLen = 0;
  b.Header(h);
  b.Section({.code = "XYZ"});
  EXPECT_STREQ(LoadOk(dir, b)->GetSec(0)->code, "   ");
}

TEST(Var, RecordFieldsAreDecodedOneByOne) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({.maxOcc = 4, .groupOcc = 3});
  b.Variable({.name = "INCOME", .type = 'N', .kind = 'S', .start = 12, .len = 9, .decimals = 2, .zeroFill = true,
              .form = "F1", .missing = 99, .notAppl = -1.5, .dflt = 0, .row = 4, .col = 33, .mode = 9, .attr = 0xC3});
  b.Variable({.name = "WIDE", .type = 'A', .kind = 'M', .start = 30, .len = 300});
  size_t zero = b.Variable({.name = "ZERO", .type = '?', .kind = 'S', .len = 5});
  b.Put8(zero + 14, 0);  // length 0 without an extension
  auto dic = LoadOk(dir, b);

  Var* income = dic->GetVar("INCOME");
  EXPECT_EQ(income->varType, 'N');
  EXPECT_EQ(income->start, 12);
  EXPECT_EQ(income->len, 9);
  EXPECT_EQ(income->decimals, 2);
  EXPECT_EQ(income->zeroFill, 1);
  EXPECT_STREQ(income->formName, "F1");
  EXPECT_EQ(income->missing, 99);
  EXPECT_EQ(income->notAppl, -1.5);
  EXPECT_EQ(income->dflt, 0);
  EXPECT_EQ(income->formRow, 4);
  EXPECT_EQ(income->formCol, 33);
  EXPECT_EQ(income->fieldMode, 'P');
  EXPECT_EQ(income->attrByte, 0xC3);
  EXPECT_EQ(income->nOcc, 4);  // single variable of a repeating section
  EXPECT_FALSE(income->IsSingle());
  EXPECT_EQ(income->cats, nullptr);
  EXPECT_EQ(income->tras, nullptr);

  Var* wide = dic->GetVar("WIDE");
  EXPECT_EQ(wide->len, 300);
  EXPECT_EQ(wide->nOcc, 3);  // the group's count
  EXPECT_EQ(dic->GetSec(0)->grp->vars->GetIndex("WIDE"), 0);

  Var* zeroLen = dic->GetVar("ZERO");
  EXPECT_EQ(zeroLen->len, 0);
  EXPECT_EQ(zeroLen->varType, '?');

  for (auto [byte, mode] : std::vector<std::pair<uint8_t, char>>{{0, 'A'}, {1, 'R'}, {9, 'P'}, {2, ' '}}) {
    TempDir d;
    VeskBuilder one;
    one.Header({});
    one.Section({});
    one.Variable({.mode = byte});
    auto loaded = LoadOk(d, one);
    EXPECT_EQ(loaded->GetVar(0)->fieldMode, mode) << int(byte);
    EXPECT_EQ(loaded->GetVar(0)->nOcc, 1);
    EXPECT_TRUE(loaded->GetVar(0)->IsSingle());
  }
}

std::vector<std::pair<double, double>> Ranges(Var* var) {
  std::vector<std::pair<double, double>> out;
  for (uint16_t i = 0; var->cats && i < var->cats->count; ++i) {
    const Rng* r = static_cast<const Rng*>((*var->cats)[i]);
    out.emplace_back(r->lo, r->hi);
  }
  return out;
}

TEST(Var, RangesComeTwoToABlockAndTheCountIsBoundedByTheBlocks) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Variable({.name = "THREE", .ranges = {{1, 3}, {7, 8}, {10, 12}}});
  size_t tail = b.Size();
  b.PutDouble(tail - 16, 555);  // the unused half of the second block
  size_t claims = b.Variable({.name = "CLAIMS", .ranges = {{1, 2}}});
  b.Put16(claims + 16, 200);  // 200 ranges claimed, one block present
  size_t fewer = b.Variable({.name = "FEWER", .ranges = {{1, 1}, {2, 2}, {3, 3}, {4, 4}}});
  b.Put16(fewer + 16, 1);  // one range used, two blocks present
  b.Variable({.name = "AFTER"});
  auto dic = LoadOk(dir, b);

  EXPECT_EQ(Ranges(dic->GetVar("THREE")), (std::vector<std::pair<double, double>>{{1, 3}, {7, 8}, {10, 12}}));
  EXPECT_EQ(dic->GetVar("THREE")->cats->NodeAt(0)->name, "UNO");
  EXPECT_EQ(dic->GetVar("THREE")->cats->NodeAt(1)->name, "TRES");
  EXPECT_EQ(Ranges(dic->GetVar("CLAIMS")).size(), 2u);  // what its one block holds
  EXPECT_EQ(Ranges(dic->GetVar("FEWER")), (std::vector<std::pair<double, double>>{{1, 1}}));
  EXPECT_NE(dic->GetVar("AFTER"), nullptr);  // the unused range block was passed over
}

TEST(Var, CellsAndCategoryValuesOverRanges) {
  Var var;
  var.len = 2;
  EXPECT_EQ(var.GetCatValue(7), 7);
  var.CalculateNcells();
  EXPECT_EQ(var.nCells, 100);

  var.cats = new Lst;
  var.cats->Put("UNO", new Rng(1, 3));
  var.cats->Put("TRES", new Rng(7, 8));
  std::vector<int> values;
  for (int i = 0; i <= 5; ++i) values.push_back(var.GetCatValue(i));
  EXPECT_EQ(values, (std::vector<int>{1, 2, 3, 7, 8, -1}));
  var.nCells = 0;
  var.CalculateNcells();
  EXPECT_EQ(var.nCells, 5);
  var.CalculateNcells();  // adds to what it holds
  EXPECT_EQ(var.nCells, 10);

  // Values from a damaged file saturate instead of overflowing.
  var.cats->Put("UNO", new Rng(0, 1e300));
  var.cats->Put("UNO", new Rng(NAN, NAN));
  var.CalculateNcells();
  EXPECT_EQ(var.nCells, INT32_MAX);
  var.len = 400;
  delete var.cats;
  var.cats = nullptr;
  var.CalculateNcells();
  EXPECT_EQ(var.nCells, INT32_MAX);
}

std::vector<std::pair<std::string, double>> Entries(Lst& list) {
  std::vector<std::pair<std::string, double>> out;
  for (Nod* n = list.First(); n; n = list.Next()) {
    const Tra* t = static_cast<const Tra*>(n->obj);
    out.emplace_back(t->text, t->value);
  }
  return out;
}

TEST(Tra, SaveParsesQuotedSourcesNumbersAndElse) {
  struct Case {
    const char* text;
    short result;
    uint16_t status;
    std::vector<std::pair<std::string, double>> entries;
  } cases[] = {
      {"\"A\" 1 \"B\" 2 ELSE 9", 1, Tra::kOk, {{"", 9}, {"A", 1}, {"B", 2}}},
      {"\"LOW\"=1.5, \"HIGH\"=2.25 else 0.", 1, Tra::kOk, {{"", 0}, {"LOW", 1.5}, {"HIGH", 2.25}}},
      {"\"X1\" 4", 1, Tra::kOk, {{"X1", 4}}},  // a digit inside quotes belongs to the source
      {"7", 1, Tra::kOk, {{"", 7}}},
      {"", 1, Tra::kOk, {}},
      {"\"A\" 1 ELSE", 0, Tra::kElseWithoutValue, {{"A", 1}}},
      {"\"ABCDEFGHIJKLMNOPQRST\" 1", 0, Tra::kSourceTooLong, {}},
      {"\"ABCDEFGHIJKLMNOPQRS\" 1", 1, Tra::kOk, {{"ABCDEFGHIJKLMNOPQRS", 1}}},
      {"\"OPEN 3", 1, Tra::kOk, {}},  // an unclosed quote takes the rest as its source
  };
  for (const auto& c : cases) {
    Lst list;
    Tra parser;
    std::string text = c.text;
    EXPECT_EQ(parser.Save(&list, text.data()), c.result) << c.text;
    EXPECT_EQ(parser.status, c.status) << c.text;
    EXPECT_EQ(Entries(list), c.entries) << c.text;
  }

  std::string text = "\"A\" 1";
  Lst list;
  Tra().Save(&list, text.data());
  EXPECT_EQ(text[2], '\0');  // the closing quote is overwritten

  Tra original("SRC", 3);
  Tra copy(original);
  EXPECT_NE(copy.text, original.text);
  EXPECT_STREQ(copy.text, "SRC");
}

TEST(Var, TransformationBlocksAreReadOnlyForCountsOneToThree) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Variable({.name = "SEX", .transformation = "\"M\" 1 \"F\" 2"});
  size_t four = b.Variable({.name = "FOUR"});
  b.Put8(four + 60, 4);
  b.Variable({.name = "NEXT"});
  auto dic = LoadOk(dir, b);
  ASSERT_NE(dic->GetVar("SEX")->tras, nullptr);
  EXPECT_EQ(Entries(*dic->GetVar("SEX")->tras), (std::vector<std::pair<std::string, double>>{{"M", 1}, {"F", 2}}));
  EXPECT_EQ(dic->GetVar("FOUR")->tras, nullptr);
  EXPECT_NE(dic->GetVar("NEXT"), nullptr);
}

// The text of a transformation is taken from the bytes of its blocks only (at most 64 of
// them), however it is padded: a blank-padded block has no NUL to stop at. Reading past
// them shows as uninitialised memory under the memcheck run, and as stray entries of
// whatever the stack held otherwise.
TEST(Var, TransformationTextEndsWithTheBytesOfItsBlocks) {
  using Pairs = std::vector<std::pair<std::string, double>>;
  struct Case {
    std::string blocks;  // a whole number of 32-byte blocks
    Pairs entries;
  };
  const std::string oneBlock = "\"A\" 1 \"B\" 2.5 ELSE 9";
  const std::vector<Case> cases = {
      {oneBlock + std::string(32 - oneBlock.size(), ' '), {{"", 9}, {"A", 1}, {"B", 2.5}}},
      {oneBlock + std::string(64 - oneBlock.size(), ' '), {{"", 9}, {"A", 1}, {"B", 2.5}}},
      // Past 64 bytes nothing is read, though a third block goes on.
      {"\"A\" 1" + std::string(64 - 5, ' ') + "\"Z\" 5" + std::string(32 - 5, ' '), {{"A", 1}}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.blocks.size() % 32, 0u);
    TempDir dir;
    VeskBuilder b;
    b.Header({});
    b.Section({});
    b.Variable({.name = "V", .transformation = c.blocks});
    auto dic = LoadOk(dir, b);
    ASSERT_NE(dic->GetVar("V")->tras, nullptr);
    EXPECT_EQ(Entries(*dic->GetVar("V")->tras), c.entries) << "[" << c.blocks << "]";
  }
}

TEST(Sec, CalcSecLenFromTheLastVariableOrTheGroup) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({.name = "PLAIN"});
  b.Variable({.name = "A", .start = 1, .len = 9});
  b.Variable({.name = "B", .start = 10, .len = 5});
  b.Section({.name = "GROUPED", .maxOcc = 1, .groupOcc = 3});
  b.Variable({.name = "C", .start = 1, .len = 3});
  b.Variable({.name = "G1", .kind = 'M', .start = 4, .len = 2});
  b.Variable({.name = "G2", .kind = 'M', .start = 6, .len = 3});
  b.Section({.name = "EMPTY"});
  b.Section({.name = "HUGE"});
  b.Variable({.name = "H", .start = 9990, .len = 11});
  auto dic = LoadOk(dir, b);
  EXPECT_EQ(dic->GetSec("PLAIN")->CalcSecLen(), 14);
  Sec* grouped = dic->GetSec("GROUPED");
  EXPECT_EQ(grouped->CalcSecLen(), 4 + 3 * 5 - 1);
  EXPECT_EQ(grouped->grp->start, 4);
  EXPECT_EQ(grouped->grp->len, 5);
  EXPECT_EQ(dic->GetSec("EMPTY")->CalcSecLen(), -1);
  EXPECT_EQ(dic->GetSec("EMPTY")->status, Sec::kNoVars);
  EXPECT_EQ(dic->GetSec("HUGE")->CalcSecLen(), -1);
  EXPECT_EQ(dic->GetSec("HUGE")->status, Sec::kTooLong);

  // A multiple last variable in a section that lost its group.
  Sec orphan(nullptr, nullptr);
  orphan.vars = new Lst;
  Var* m = new Var(&orphan);
  m->varKind = 'M';
  orphan.vars->Put("M", m);
  EXPECT_EQ(orphan.CalcSecLen(), -1);
  EXPECT_EQ(orphan.status, Sec::kNoGroup);
}

TEST(Grp, GLenTakesTheFirstRunOfMultipleVariables) {
  Lst vars;
  vars.ownsObjects = 1;
  Grp grp;
  grp.vars = &vars;
  const std::vector<std::tuple<char, int, int>> layout = {{'X', 1, 1}, {'M', 5, 2}, {'M', 7, 4}, {'Y', 11, 1}, {'M', 12, 6}};
  for (auto [kind, start, len] : layout) {
    Var* v = new Var;
    v->varKind = kind;
    v->start = static_cast<int16_t>(start);
    v->len = static_cast<int16_t>(len);
    vars.Put("V", v);
  }
  grp.GLen();
  EXPECT_EQ(grp.start, 5);
  EXPECT_EQ(grp.len, 6);
  grp.vars = nullptr;
}

TEST(Var, LabelsOfTheVariableAndItsValues) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Variable({.name = "AGE", .labels = {"  Age of person  ", "1", "One", "  2", " Two", "", "", "3", "Three"}});
  b.Variable({.name = "BARE"});
  auto dic = LoadOk(dir, b);
  Var* age = dic->GetVar("AGE");
  char out[128];
  EXPECT_STREQ(age->GetVarLabel(out), "AGE");  // the text is not loaded yet
  EXPECT_EQ(age->GetCatLabel("1", out), nullptr);
  ASSERT_EQ(age->labels->Load(), 1);
  EXPECT_STREQ(age->GetVarLabel(out), "Age of person");

  struct Case {
    const char* code;
    const char* label;
  } cases[] = {{"1", "One"}, {"2  ", "Two"}, {"123456", "123456"}, {"3", "3"}, {"9", "9"}};
  for (const auto& c : cases) EXPECT_STREQ(age->GetCatLabel(c.code, out), c.label) << c.code;

  Var* bare = dic->GetVar("BARE");
  EXPECT_EQ(bare->labels->Load(), 0);
  EXPECT_EQ(bare->labels->status, Lab::kNoText);
  EXPECT_STREQ(bare->GetVarLabel(out), "BARE");
}

TEST(Var, CopiesOwnTheirRangesTransformationsAndLabels) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Variable({.name = "V", .transformation = "\"A\" 1", .ranges = {{1, 2}}, .labels = {"Label"}});
  b.Form({.name = "F", .text = "x\n", .cells = {0, 0, 0x0102}});
  b.Key({.vars = {"V"}});
  auto dic = LoadOk(dir, b);
  dic->GetVar(0)->labels->Load();
  dic->GetSec(0)->labels->Load();
  FrmOf(dic->forms, 0)->Read(0);
  {
    Var var(*dic->GetVar(0));
    Sec sec(*dic->GetSec(0));
    Frm frm(*FrmOf(dic->forms, 0));
    Key key(*dic->GetKey(0));
    Lab lab(*dic->GetVar(0)->labels);
    EXPECT_NE(var.cats, dic->GetVar(0)->cats);
    EXPECT_EQ(Ranges(&var), Ranges(dic->GetVar(0)));
    EXPECT_STREQ(lab.text + 2, "Label\n");
    EXPECT_STREQ(frm.text, "x\n");
    EXPECT_EQ(sec.vars->count, 1);
    EXPECT_EQ(key.vars->count, 1);
    var = *dic->GetVar(0);
    frm = *FrmOf(dic->forms, 0);
  }
  EXPECT_EQ(Ranges(dic->GetVar(0)).size(), 1u);  // the originals are untouched
  EXPECT_STREQ(FrmOf(dic->forms, 0)->text, "x\n");
}

}  // namespace
