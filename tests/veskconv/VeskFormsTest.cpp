// Kind 4: the forms file beside the dictionary. Its header, forms, levels and groups; the
// three ways a group is filled (a roster for a multiple section, the group builder for a
// form with occurrence cells, fields at their screen positions otherwise); screen texts;
// field modes; group members on forms without cells; progress, Cancel, failed saves and
// previous outputs. Texts are measured with fixed metrics: every character 7 pixels wide,
// every line 13 high, so a box for n characters is 10n + 1 by 15.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FormOutline.h"
#include "RunProcess.h"
#include "VeskConvFixture.h"
#include "VeskTestSupport.h"
#include "libs/forms/FormFile.h"
#include "veskconv/VeskFormLayout.h"
#include "veskconv/VeskFormsBuilder.h"

namespace veskconvtest {
namespace {

namespace fs = std::filesystem;

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A section with its variables and its forms, in the order the file holds them.
struct SectionDef {
  SectionSpec section;
  std::vector<VariableSpec> vars;
  std::vector<FormSpec> forms;
};

VeskBuilder Build(const std::vector<SectionDef>& sections, const HeaderSpec& header = {}) {
  VeskBuilder b = WithHeader(header);
  for (const SectionDef& s : sections) {
    b.Section(s.section);
    for (const VariableSpec& v : s.vars) b.Variable(v);
    for (const FormSpec& f : s.forms) b.Form(f);
  }
  return b;
}

// Two levels: identification in columns 1 to 3 and 4 to 5, record type in column 6.
HeaderSpec TwoLevelHeader() {
  HeaderSpec h;
  h.levelIdStart[1] = 4;
  h.levelIdLen[1] = 2;
  h.recTypeStart = 6;
  return h;
}

std::string Box(const CRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

int CodePoints(const std::string& text) {
  return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

void CollectFields(const CDEGroup& group, std::vector<const CDEField*>& out) {
  for (int i = 0; i < group.GetNumItems(); ++i) {
    const CDEItemBase* item = group.GetItem(i);
    if (item->GetItemType() == CDEFormBase::Field) out.push_back(static_cast<const CDEField*>(item));
    if (item->HoldsItems()) CollectFields(*static_cast<const CDEGroup*>(item), out);
  }
}

// Every field the levels of a forms file hold, depth first.
std::vector<const CDEField*> AllFields(const CDEFormFile& ff) {
  std::vector<const CDEField*> out;
  for (int l = 0; l < ff.GetNumLevels(); ++l)
    for (int g = 0; g < ff.GetLevel(l)->GetNumGroups(); ++g) CollectFields(*ff.GetLevel(l)->GetGroup(g), out);
  return out;
}

const CDEField* FieldNamed(const CDEGroup& group, const std::string& name) {
  std::vector<const CDEField*> fields;
  CollectFields(group, fields);
  for (const CDEField* f : fields)
    if (f->GetName() == name) return f;
  return nullptr;
}

// The groups of each level, by name.
std::vector<std::vector<std::string>> GroupNames(const CDEFormFile& ff) {
  std::vector<std::vector<std::string>> out(ff.GetNumLevels());
  for (int l = 0; l < ff.GetNumLevels(); ++l)
    for (int g = 0; g < ff.GetLevel(l)->GetNumGroups(); ++g) out[l].push_back(ff.GetLevel(l)->GetGroup(g)->GetName());
  return out;
}

std::vector<const CDEText*> TextsOn(const CDEForm& form) {
  std::vector<const CDEText*> out;
  for (int i = 0; i < form.GetNumItems(); ++i)
    if (form.GetItem(i)->GetItemType() == CDEFormBase::Text)
      out.push_back(static_cast<const CDEText*>(form.GetItem(i)));
  return out;
}

// A text item as "text@left,top".
std::string Where(const CDEText& text) {
  return text.GetText() + "@" + std::to_string(text.GetX()) + "," + std::to_string(text.GetY());
}

// The number of a screen text's name FTnnnnnn, -1 for any other name.
int TextNumber(const std::string& name) {
  if (name.size() != 8 || name.compare(0, 2, "FT") != 0) return -1;
  if (!std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; })) return -1;
  return std::stoi(name.substr(2));
}

std::set<std::string> FolderEntries(const fs::path& folder) {
  std::set<std::string> out;
  for (const auto& entry : fs::directory_iterator(folder)) out.insert(entry.path().filename().string());
  return out;
}

class VeskFormsTest : public VeskConvTest {
 protected:
  // Writes the builder's file as dir/name and converts it with kind 4 (dir/out.dcf and
  // dir/out.fmf).
  bool ConvertForms(const VeskBuilder& b, const std::string& name = "survey.dic") {
    EXPECT_TRUE(b.WriteTo(dir.file(name)));
    return app.RunConversion(KIND_VESK_TO_TRAVO_FORMS, dir.file(name), output);
  }
  // Converts (a failure fails the test) and opens the forms file written.
  std::unique_ptr<CDEFormFile> Forms(const VeskBuilder& b) {
    EXPECT_TRUE(ConvertForms(b)) << Messages();
    return OpenForms();
  }
  std::unique_ptr<CDEFormFile> OpenForms() {
    auto ff = std::make_unique<CDEFormFile>();
    EXPECT_TRUE(ff->Open(fmf)) << ff->GetLastError();
    return ff;
  }

  CFixedTextMeasurer measurer{7, 13};
  ScopedTextMeasurer installed{measurer};
  std::string fmf = dir.file("out.fmf");
};

// ---------------------------------------------------------------- the forms file

TEST_F(VeskFormsTest, TheHeaderNamesTheDictionary) {
  struct Case {
    const char* what;
    HeaderSpec header;
    std::string name;
    std::string label;
  };
  const Case cases[] = {
      {"first label line", {.labels = {"Household survey   ", "Round 2"}}, "FL_SURVEY", "Household survey"},
      {"no label", {}, "FL_SURVEY", "SURVEY"},
      {"blank first line", {.labels = {"    ", "Round 2"}}, "FL_SURVEY", "SURVEY"},
      {"other name, OEM label", {.name = "ENQ", .labels = {"Enqu\x82te"}}, "FL_ENQ", "Enqu\xC3\xA9te"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = HookHost();
    auto ff = Forms(Build({{{.name = "S"}, {{.name = "A", .start = 5, .form = "F"}}, {{.name = "F"}}}}, c.header));
    EXPECT_EQ(ff->GetVersion(), "Travo 4.0");
    EXPECT_EQ(ff->GetName(), c.name);
    EXPECT_EQ(ff->GetLabel(), c.label);
    EXPECT_EQ(ff->GetPrimaryDictName(), c.header.name);
    EXPECT_EQ(ff->GetFileName(), fmf);
    ASSERT_EQ(ff->GetNumDicts(), 1);
    EXPECT_EQ(ff->GetDictName(0), output);
    EXPECT_TRUE(ff->IsPathOn());
    EXPECT_TRUE(ff->ConvertRoster());
    EXPECT_TRUE(host.messages.empty()) << Messages();
  }
}

// The forms file takes the dictionary's name with .fmf, and names the dictionary with its
// whole path.
TEST_F(VeskFormsTest, TheFormsFileStandsBesideTheDictionary) {
  fs::create_directory(dir.file("data.old"));
  output = dir.file("data.old/survey.xyz");
  fmf = dir.file("data.old/survey.fmf");
  auto ff = Forms(Build({{{.name = "S"}, {{.name = "A", .start = 5, .form = "F"}}, {{.name = "F"}}}}));
  ASSERT_EQ(ff->GetNumDicts(), 1);
  EXPECT_EQ(ff->GetDictName(0), dir.file("data.old/survey.dcf"));
  EXPECT_EQ(FolderEntries(dir.file("data.old")), (std::set<std::string>{"survey.dcf", "survey.fmf"}));
}

// A rich dictionary: two levels, identification variables on a form, a group run on a form
// without cells, a form with cells holding a group run, a multiple section, texts.
VeskBuilder Rich() {
  return Build(
      {{{.name = "HH", .code = "1", .groupOcc = 3, .labels = {"Household"}},
        {{.name = "HID", .start = 1, .len = 3, .form = "HF", .row = 1, .col = 20, .labels = {"Household number"}},
         {.name = "ROOMS", .start = 7, .len = 2, .form = "HF", .row = 2, .col = 20, .mode = 1, .labels = {"Rooms"}},
         {.name = "CROP", .kind = 'M', .start = 9, .len = 1, .form = "HF", .row = 4, .col = 20},
         {.name = "AREA", .kind = 'M', .start = 10, .len = 3, .form = "HF", .row = 4, .col = 30, .mode = 9},
         // H2 holds five items of the record, more than the four on HF (its group item
         // included), so the group builder lays them out.
         {.name = "WATER", .type = 'A', .start = 20, .len = 1, .form = "H2", .labels = {"Drinking water"}},
         {.name = "TOILET", .start = 21, .len = 1, .form = "H2"},
         {.name = "WALLS", .start = 22, .len = 1, .form = "H2"},
         {.name = "ROOF", .start = 23, .len = 1, .form = "H2", .mode = 9},
         {.name = "FLOOR", .start = 24, .len = 1, .form = "H2"},
         {.name = "NOTE", .type = 'A', .start = 25, .len = 10}},
        {{.name = "HF", .text = "HOUSEHOLD\nHousehold number    [   ]\nRooms  [  ]\n\nCrop  [ ]  Area [   ]\n"},
         {.name = "H2", .text = "Water [ ]\n", .cells = {0, 0, 0x0100}}}},
       {{.name = "PER", .level = '2', .code = "2", .minOcc = 0, .maxOcc = 30, .labels = {"Persons"}},
        {{.name = "PID", .start = 4, .len = 2, .form = "PF"},
         {.name = "PNAME", .type = 'A', .start = 7, .len = 20, .form = "PF", .labels = {"Name"}},
         {.name = "AGE", .start = 27, .len = 3, .form = "PF", .mode = 1},
         {.name = "SEX", .start = 30, .len = 1, .form = "PG"}},
        {{.name = "PF", .text = "Persons\n"}, {.name = "PG"}}},
       {{.name = "INC", .level = '2', .code = "3", .groupOcc = 4},
        {{.name = "EARN", .start = 7, .len = 6, .decimals = 2, .form = "IF"},
         {.name = "SRC", .kind = 'M', .start = 13, .len = 2, .form = "IF"},
         {.name = "AMT", .kind = 'M', .start = 15, .len = 5, .form = "IF"}},
        {{.name = "IF", .cells = {0, 0, 0x0100, 0x0200, 0x0300}}}}},
      TwoLevelHeader());
}

// Every field names an item of the written dictionary, and the forms file reads back
// into the same model.
TEST_F(VeskFormsTest, EveryFieldNamesAnItemOfTheWrittenDictionary) {
  auto ff = Forms(Rich());
  EXPECT_TRUE(host.messages.empty()) << Messages();
  const CDataDict dict = Result();
  const std::vector<const CDEField*> fields = AllFields(*ff);
  std::set<std::string> names;
  for (const CDEField* field : fields) {
    SCOPED_TRACE(field->GetName());
    EXPECT_NE(dict.LookupName(field->GetItemName()), nullptr);
    EXPECT_EQ(field->GetItemDict(), "SURVEY");
    names.insert(field->GetItemName());
  }
  // One of each kind of group: hand-laid fields and a group run's roster (HF), the group
  // builder (H2) with a roster of a group run (IF), the section roster (PF). PID is an
  // identification item, not an item of its record, so the section roster has no column
  // for it; HID, on a form without cells, has a field.
  EXPECT_EQ(names, (std::set<std::string>{"HID", "ROOMS", "CROP", "AREA", "WATER", "TOILET", "WALLS", "ROOF", "FLOOR",
                                          "PNAME", "AGE", "SEX", "EARN", "SRC", "AMT"}));
  EXPECT_EQ(GroupNames(*ff), (std::vector<std::vector<std::string>>{{"HH", "HH_H2"}, {"PER", "INC"}}));

  // Open then Save gives the file back byte for byte.
  ASSERT_TRUE(ff->Save(dir.file("again.fmf"))) << ff->GetLastError();
  EXPECT_EQ(ReadTextFile(dir.file("again.fmf")), ReadTextFile(fmf));
}

// The dictionary of kind 4 is the one kind 3 writes.
TEST_F(VeskFormsTest, TheDictionaryIsTheOneOfKind3) {
  ASSERT_TRUE(Convert(Rich())) << Messages();
  const std::string kind3 = ReadTextFile(output);
  fs::remove(output);
  ASSERT_TRUE(ConvertForms(Rich())) << Messages();
  EXPECT_EQ(ReadTextFile(output), kind3);
  EXPECT_TRUE(fs::exists(fmf));
}

// ---------------------------------------------------------------- forms, levels, groups

// Forms follow the sections sorted by level; a multiple section shows only its first
// form; a form without variables stays, without a group, and keeps its number.
TEST_F(VeskFormsTest, FormsFollowTheSortedSections) {
  auto ff = Forms(
      Build({{{.name = "PER", .level = '2', .code = "2", .maxOcc = 10},
              {{.name = "C", .start = 7, .form = "PF"}, {.name = "D", .start = 8, .form = "PG"}},
              {{.name = "PF", .text = "Persons  Age\n"}, {.name = "PG"}}},
             {{.name = "NOTE", .level = '2', .code = "3"}, {{.name = "E", .start = 7, .form = "NF"}}, {{.name = "NF"}}},
             {{.name = "HH", .code = "1"},
              {{.name = "A", .start = 7, .form = "HF"}, {.name = "B", .start = 8, .form = "H2"}},
              {{.name = "HF"}, {.name = "HE", .text = "Nothing to enter\n"}, {.name = "H2"}}}},
            TwoLevelHeader()));
  struct Expected {
    const char* name;
    int level;
    const char* group;  // null: none
    const char* outline;
  };
  const Expected expected[] = {
      {"HF", 0, "HH", "A"},   {"HE", 0, nullptr, ""}, {"H2", 0, "HH_H2", "B"}, {"PF", 1, "PER", "PER_ROSTER{C D}x10"},
      {"NF", 1, "NOTE", "E"},
  };
  ASSERT_EQ(ff->GetNumForms(), static_cast<int>(std::size(expected)));
  for (int f = 0; f < ff->GetNumForms(); ++f) {
    const Expected& e = expected[f];
    SCOPED_TRACE(e.name);
    const CDEForm* form = ff->GetForm(f);
    EXPECT_EQ(form->GetName(), e.name);
    EXPECT_EQ(form->GetLabel(), e.name);
    EXPECT_EQ(form->GetLevel(), e.level);
    if (!e.group) {
      EXPECT_EQ(form->GetGroup(), nullptr);
      continue;
    }
    ASSERT_NE(form->GetGroup(), nullptr);
    EXPECT_EQ(form->GetGroup()->GetName(), e.group);
    EXPECT_EQ(form->GetGroup()->GetFormNum(), f);
    EXPECT_EQ(Outline(*form->GetGroup()), e.outline);
  }
  // The form without variables still shows its screen text, and grows around it only.
  std::vector<std::string> texts;
  for (const CDEText* text : TextsOn(*ff->GetForm(1))) texts.push_back(Where(*text));
  EXPECT_EQ(texts, std::vector<std::string>{"Nothing to enter@0,0"});
  EXPECT_EQ(ff->GetForm(1)->GetNumItems(), 1);
  EXPECT_EQ(Box(ff->GetForm(1)->GetDims()), "0,0,132,33");
  // NF grows 20 pixels beyond its one field, at 0,0,11,15.
  EXPECT_EQ(Box(ff->GetForm(4)->GetDims()), "0,0,31,35");
  // A multiple section's form shows its roster only, no screen text.
  EXPECT_TRUE(TextsOn(*ff->GetForm(3)).empty());

  ASSERT_EQ(ff->GetNumLevels(), 2);
  for (int l = 0; l < 2; ++l) {
    EXPECT_EQ(ff->GetLevel(l)->GetName(), "LEVEL_" + std::to_string(l + 1));
    EXPECT_EQ(ff->GetLevel(l)->GetLabel(), "LEVEL" + std::to_string(l + 1));
  }
  EXPECT_EQ(GroupNames(*ff), (std::vector<std::vector<std::string>>{{"HH", "HH_H2"}, {"PER", "NOTE"}}));
}

// Levels 1 and 3 make two levels of the forms file; a level-3 section's groups would go to
// a third, which does not exist, so it has none, and its form keeps level index 2.
TEST_F(VeskFormsTest, ASectionWhoseLevelHasNoLevelOfTheFormsFileGetsNoGroups) {
  HeaderSpec header;
  for (int l = 0; l < 3; ++l) {
    header.levelIdStart[l] = static_cast<int16_t>(l + 1);
    header.levelIdLen[l] = 1;
  }
  header.recTypeStart = 4;
  auto ff = Forms(
      Build({{{.name = "TOP", .code = "1"}, {{.name = "X", .start = 5, .form = "TF"}}, {{.name = "TF"}}},
             {{.name = "LOW", .level = '3', .code = "2"}, {{.name = "Y", .start = 5, .form = "LF"}}, {{.name = "LF"}}}},
            header));
  ASSERT_EQ(ff->GetNumLevels(), 2);
  EXPECT_EQ(ff->GetLevel(0)->GetName(), "LEVEL_1");
  EXPECT_EQ(ff->GetLevel(1)->GetName(), "LEVEL_3");
  EXPECT_EQ(ff->GetLevel(1)->GetLabel(), "LEVEL3");
  EXPECT_EQ(GroupNames(*ff), (std::vector<std::vector<std::string>>{{"TOP"}, {}}));
  ASSERT_EQ(ff->GetNumForms(), 2);
  EXPECT_EQ(ff->GetForm(1)->GetName(), "LF");
  EXPECT_EQ(ff->GetForm(1)->GetLevel(), 2);
  EXPECT_EQ(ff->GetForm(1)->GetGroup(), nullptr);
  // Nothing is put on it, so it keeps the rectangle every form starts with.
  EXPECT_EQ(ff->GetForm(1)->GetNumItems(), 0);
  EXPECT_EQ(Box(ff->GetForm(1)->GetDims()), "0,0,10,10");
}

// A section's first group is named after it, the others after it and their form; every
// group is labelled with the section's first label line as read, blanks included.
TEST_F(VeskFormsTest, GroupsTakeTheSectionsNameLabelAndRequirement) {
  struct Case {
    const char* what;
    SectionSpec section;
    std::string label;
    bool required;
  };
  const std::string long40 = "A section label of forty characters, cut";
  const Case cases[] = {
      {"labelled", {.name = "HOUSING", .labels = {"Housing"}}, "Housing" + std::string(23, ' '), true},
      {"no label", {.name = "HOUSING"}, "HOUSING", true},
      {"long label", {.name = "LONG", .labels = {long40, "Second"}}, long40.substr(0, 30), true},
      {"OEM label",
       {.name = "C", .labels = {"Caract\x82ristiques"}},
       "Caract\xC3\xA9ristiques" + std::string(14, ' '),
       true},
      {"not required", {.name = "OPT", .minOcc = 0}, "OPT", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = HookHost();
    auto ff = Forms(Build({{c.section,
                            {{.name = "A", .start = 5, .form = "F1"}, {.name = "B", .start = 6, .form = "F2"}},
                            {{.name = "F1"}, {.name = "F2"}}}}));
    const std::string sec = c.section.name;
    ASSERT_EQ(GroupNames(*ff), (std::vector<std::vector<std::string>>{{sec, sec + "_F2"}}));
    for (int g = 0; g < 2; ++g) {
      const CDEGroup* group = ff->GetLevel(0)->GetGroup(g);
      EXPECT_EQ(group->GetLabel(), c.label);
      EXPECT_EQ(group->GetRequired(), c.required);
      EXPECT_EQ(group->GetFormNum(), g);
      EXPECT_EQ(ff->GetForm(g)->GetGroup(), group);
    }
  }
}

// ---------------------------------------------------------------- hand-laid fields

// A single section's form without occurrence cells: a field per variable of the form at
// (10 x column, 22 x row), sized from the item, labelled with the variable's label.
TEST_F(VeskFormsTest, FieldsStandAtTheirScreenPositions) {
  struct Case {
    VariableSpec var;
    std::string label;
    std::string rect;
    bool enterKey;
    bool protect;
  };
  const Case cases[] = {
      // An identification variable is on the form too, as its identification item.
      {{.name = "HID", .start = 1, .len = 3, .form = "F", .row = 1, .col = 10, .labels = {"Household"}},
       "Household",
       "100,22,131,37",
       false,
       false},
      {{.name = "AGE",
        .start = 5,
        .len = 3,
        .form = "F",
        .row = 2,
        .col = 20,
        .mode = 1,
        .labels = {"Age in years   "}},
       "Age in years",
       "200,44,231,59",
       true,
       false},
      {{.name = "NAME", .type = 'A', .start = 8, .len = 20, .form = "F", .row = 3, .col = 5, .mode = 9},
       "Label NAME",
       "50,66,251,81",
       false,
       true},
      // A numeric variable with decimals has the decimal character: its length is enough.
      {{.name = "PRICE", .start = 28, .len = 6, .decimals = 2, .form = "F", .row = 4, .mode = 5, .labels = {"Price"}},
       "Price",
       "0,88,61,103",
       false,
       false},
      // An alpha one has none: one more character for the decimal point.
      {{.name = "CODE",
        .type = 'A',
        .start = 34,
        .len = 6,
        .decimals = 2,
        .form = "F",
        .row = 5,
        .labels = {"Qualit\x82"}},
       "Qualit\xC3\xA9",
       "0,110,71,125",
       false,
       false},
      // Like the item's label, only trailing blanks go.
      {{.name = "LEAD", .type = 'A', .start = 40, .len = 2, .form = "F", .row = 0, .col = 79, .labels = {"  Sex"}},
       "  Sex",
       "790,0,811,15",
       false,
       false},
  };
  SectionDef section{{.name = "S"}, {}, {{.name = "F"}}};
  for (const Case& c : cases) section.vars.push_back(c.var);
  // None of these is on a form of its section: no field, and nothing said.
  section.vars.push_back({.name = "NOFORM", .start = 50});
  section.vars.push_back({.name = "NOPE", .start = 51, .form = "NOPE"});
  section.vars.push_back({.name = "ELSEWH", .start = 52, .form = "GF"});
  auto ff = Forms(
      Build({section, {{.name = "G", .code = "2"}, {{.name = "Z", .start = 5, .form = "GF"}}, {{.name = "GF"}}}}));
  EXPECT_TRUE(host.messages.empty()) << Messages();

  const CDEForm* form = ff->GetForm(0);
  const CDEGroup* group = form->GetGroup();
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(Outline(*group), "HID AGE NAME PRICE CODE LEAD");
  EXPECT_EQ(Box(group->GetDims()), "0,0,0,0");
  for (int i = 0; i < group->GetNumItems(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.var.name);
    ASSERT_EQ(group->GetItem(i)->GetItemType(), CDEFormBase::Field);
    const auto* field = static_cast<const CDEField*>(group->GetItem(i));
    EXPECT_EQ(field->GetItemName(), c.var.name);
    EXPECT_EQ(field->GetItemDict(), "SURVEY");
    EXPECT_EQ(field->GetOcc(), -1);
    EXPECT_EQ(field->GetFormNum(), 0);
    EXPECT_EQ(field->GetLabel(), c.label);
    EXPECT_EQ(Box(field->GetDims()), c.rect);
    // The label text is sized but not placed: the screen text shows the label.
    EXPECT_EQ(Box(field->GetTextDims()), "0,0," + std::to_string(7 * CodePoints(c.label)) + ",13");
    EXPECT_EQ(field->IsEnterKeyRequired(), c.enterKey);
    EXPECT_EQ(field->IsProtected(), c.protect);
    EXPECT_EQ(form->GetItem(i), field);  // the form shows them in the same order
  }
  // 20 pixels beyond the rightmost (LEAD) and lowest (CODE) fields.
  EXPECT_EQ(Box(form->GetDims()), "0,0,831,145");
  EXPECT_EQ(Outline(*ff->GetForm(1)->GetGroup()), "Z");
}

// The modes of the variables reach their fields whoever lays them out: 0 neither flag,
// 1 the Enter key, 9 protected, anything else neither (the builders' own Enter key
// setting does not survive).
TEST_F(VeskFormsTest, FieldModesComeFromTheVariablesInEveryLayout) {
  struct Layout {
    const char* what;
    SectionSpec section;
    char kind;
    std::vector<uint16_t> cells;
    std::string outline;
  };
  const Layout layouts[] = {
      {"hand-laid", {.name = "S"}, 'S', {}, "V0 V1 V9 V5"},
      {"group builder", {.name = "S"}, 'S', {0, 0, 0x0100}, "V0 V1 V9 V5"},
      {"section roster", {.name = "S", .maxOcc = 5}, 'S', {}, "S_ROSTER{V0 V1 V9 V5}x5"},
      {"group run roster", {.name = "S", .groupOcc = 3}, 'M', {}, "S_GROUP_ROSTER{V0 V1 V9 V5}x3"},
      {"group run in the group builder",
       {.name = "S", .groupOcc = 3},
       'M',
       {0, 0, 0x0100, 0x0200},
       "S_GROUP_ROSTER{V0 V1 V9 V5}x3"},
  };
  struct Mode {
    const char* name;
    uint8_t mode;
    bool enterKey;
    bool protect;
  };
  const Mode modes[] = {
      {"V0", 0, false, false}, {"V1", 1, true, false}, {"V9", 9, false, true}, {"V5", 5, false, false}};
  for (const Layout& l : layouts) {
    SCOPED_TRACE(l.what);
    host = HookHost();
    SectionDef section{l.section, {}, {{.name = "F", .cells = l.cells}}};
    int16_t start = 5;
    for (const Mode& m : modes)
      section.vars.push_back({.name = m.name, .kind = l.kind, .start = start++, .form = "F", .row = 2, .mode = m.mode});
    auto ff = Forms(Build({section}));
    EXPECT_TRUE(host.messages.empty()) << Messages();
    const CDEGroup* group = ff->GetForm(0)->GetGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(Outline(*group), l.outline);
    for (const Mode& m : modes) {
      SCOPED_TRACE(m.name);
      const CDEField* field = FieldNamed(*group, m.name);
      ASSERT_NE(field, nullptr);
      EXPECT_EQ(field->IsEnterKeyRequired(), m.enterKey);
      EXPECT_EQ(field->IsProtected(), m.protect);
    }
  }
}

// ---------------------------------------------------------------- screen texts

TEST_F(VeskFormsTest, ScreenTextBecomesTextItems) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> items;  // text@x,y
  };
  const Case cases[] = {
      {"pieces at runs of blanks", "   Name of head      Age\n", {"Name of head@30,0", "Age@210,0"}},
      {"fields are blanked", "Age [   ]  Sex [ ]\n", {"Age@0,0", "Sex@110,0"}},
      {"empty lines count", "Title\n\nAfter an empty line\n", {"Title@0,0", "After an empty line@0,44"}},
      {"a line of box drawing gives nothing", "\xC9\xCD\xCD\xCD\xCD\xBB\n Real\n", {"Real@10,22"}},
      {"box drawing between words", "\xB3 Sex \xB3 Age \xB3\n", {"Sex@20,0", "Age@80,0"}},
      {"only 0xB0 to 0xDF are blanked", "\xAF\xB0\xDF\xE0\n", {"\xC2\xBB@0,0", "\xC3\x93@30,0"}},
      {"tabs to 8 columns", "A\tB\n\tC\n", {"A@0,0", "B@80,0", "C@80,22"}},
      {"columns count OEM bytes", "Enqu\x82te  X\n", {"Enqu\xC3\xA9te@0,0", "X@90,0"}},
      {"no text", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = HookHost();
    auto ff = Forms(
        Build({{{.name = "S"}, {{.name = "V", .start = 5, .form = "F", .row = 30}}, {{.name = "F", .text = c.text}}}}));
    const CDEForm* form = ff->GetForm(0);
    std::vector<std::string> items;
    CRect extent(0, 0, 0, 0);
    for (const CDEText* text : TextsOn(*form)) {
      items.push_back(Where(*text));
      EXPECT_EQ(text->GetDims().right, text->GetX() + 7 * CodePoints(text->GetText())) << text->GetText();
      EXPECT_EQ(text->GetDims().bottom, text->GetY() + 13) << text->GetText();
      EXPECT_EQ(text->GetLogFont(), ff->GetDefTxtLF());
      // Named FTnnnnnn from a counter of the conversion: FT000000 first, one up after that.
      EXPECT_EQ(TextNumber(text->GetName()), static_cast<int>(items.size()) - 1) << text->GetName();
      extent.right = std::max(extent.right, text->GetDims().right);
      extent.bottom = std::max(extent.bottom, text->GetDims().bottom);
    }
    EXPECT_EQ(items, c.items);
    // The form holds the texts and the field (row 30: 660 to 675).
    extent.right = std::max(extent.right, 11);
    extent.bottom = 675;
    EXPECT_EQ(Box(form->GetDims()),
              "0,0," + std::to_string(extent.right + 20) + "," + std::to_string(extent.bottom + 20));
  }
}

// A line longer than 4095 characters is kept whole, and the next line stays the next.
TEST_F(VeskFormsTest, ALongScreenLineIsKeptWhole) {
  const std::string a(3000, 'a'), b(1998, 'b');
  auto ff = Forms(Build({{{.name = "S"},
                          {{.name = "V", .start = 5, .form = "F", .row = 1, .col = 10}},
                          {{.name = "F", .text = a + "  " + b + "\nNext\n"}}}}));
  const std::vector<const CDEText*> texts = TextsOn(*ff->GetForm(0));
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0]->GetText(), a);
  EXPECT_EQ(Box(texts[0]->GetDims()), "0,0,21000,13");
  EXPECT_EQ(texts[1]->GetText(), b);
  EXPECT_EQ(Box(texts[1]->GetDims()), "30020,0,44006,13");
  EXPECT_EQ(Where(*texts[2]), "Next@0,22");
  EXPECT_EQ(Box(ff->GetForm(0)->GetDims()), "0,0,44026,57");
}

// Texts are numbered in the order they are made: form by form, line by line, left to
// right, without a gap.
TEST_F(VeskFormsTest, TextNamesRunOnAcrossTheForms) {
  auto ff = Forms(Build({{{.name = "A"},
                          {{.name = "X", .start = 5, .form = "F1"}, {.name = "Y", .start = 6, .form = "F2"}},
                          {{.name = "F1", .text = "One  Two\nThree\n"}, {.name = "F2", .text = "Four\n"}}},
                         {{.name = "B", .code = "2"},
                          {{.name = "Z", .start = 5, .form = "F3"}},
                          {{.name = "F3", .text = "Five  Six\n"}}}}));
  std::vector<std::string> texts;
  std::vector<int> numbers;
  for (int f = 0; f < ff->GetNumForms(); ++f)
    for (const CDEText* text : TextsOn(*ff->GetForm(f))) {
      texts.push_back(text->GetText());
      numbers.push_back(TextNumber(text->GetName()));
    }
  EXPECT_EQ(texts, (std::vector<std::string>{"One", "Two", "Three", "Four", "Five", "Six"}));
  ASSERT_EQ(numbers.size(), 6u);
  EXPECT_EQ(numbers[0], 0);
  for (size_t i = 1; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], numbers[0] + static_cast<int>(i));
}

// Each conversion numbers its texts from FT000000: the same file converted twice in one
// process gives the same forms file, byte for byte.
TEST_F(VeskFormsTest, TwoConversionsNumberTheirTextsAlike) {
  const VeskBuilder b =
      Build({{{.name = "A"}, {{.name = "X", .start = 5, .form = "F"}}, {{.name = "F", .text = "One  Two\n"}}}});
  ASSERT_TRUE(ConvertForms(b)) << Messages();
  const std::string first = ReadTextFile(fmf);
  ASSERT_TRUE(ConvertForms(b)) << Messages();
  EXPECT_EQ(ReadTextFile(fmf), first);
  EXPECT_NE(first.find("Name=FT000001\n"), std::string::npos) << first;
  EXPECT_EQ(first.find("Name=FT000002"), std::string::npos) << first;
}

// ---------------------------------------------------------------- rosters and the group builder

// A multiple section: one roster of the record's items whose variables name a form (any
// form, and even one that does not exist), at (10, 10), sized to its content.
TEST_F(VeskFormsTest, AMultipleSectionBecomesARoster) {
  auto ff = Forms(Build({{{.name = "PER", .minOcc = 0, .maxOcc = 30, .labels = {"Persons"}},
                          {{.name = "PNAME", .type = 'A', .start = 5, .len = 20, .form = "PF", .labels = {"Name"}},
                           {.name = "AGE", .start = 25, .len = 3, .form = "PF", .labels = {"Age"}},
                           {.name = "NOFORM", .start = 28},
                           {.name = "OTHER", .start = 29, .form = "PG", .labels = {"Other"}},
                           {.name = "NOPE", .start = 30, .form = "NOPE", .labels = {"Nope"}}},
                          {{.name = "PF", .text = "Name  Age\n"}, {.name = "PG"}}}}));
  ASSERT_EQ(ff->GetNumForms(), 1);
  const CDEForm* form = ff->GetForm(0);
  const CDEGroup* group = form->GetGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetName(), "PER");
  EXPECT_EQ(group->GetLabel(), "Persons" + std::string(23, ' '));
  EXPECT_FALSE(group->GetRequired());
  EXPECT_EQ(Outline(*group), "PER_ROSTER{PNAME AGE OTHER NOPE}x30");
  const CDEItemBase* roster = group->GetItem(0);
  EXPECT_EQ(Box(roster->GetDims()), "10,10,-1,-1");
  EXPECT_EQ(roster->GetFormNum(), 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<const CDEGroup*>(roster)->GetItem(i)->GetFormNum(), 0);
  // Columns max(box, heading) + 8 wide: 209, 39, 43 and 36; a heading band of 21 and 30
  // rows of 23: the roster takes 10,10 to 337,721.
  EXPECT_EQ(Box(form->GetDims()), "0,0,357,741");
  ASSERT_EQ(form->GetNumItems(), 1);  // no screen text on a multiple section's form
  EXPECT_EQ(form->GetItem(0), roster);
  // Every column takes its own variable's mode (0 here: neither flag), OTHER (on PG) and
  // NOPE (on no form of the section) too, which are not variables of the form shown.
  for (const char* name : {"PNAME", "AGE", "OTHER", "NOPE"}) {
    const CDEField* field = FieldNamed(*group, name);
    ASSERT_NE(field, nullptr) << name;
    EXPECT_FALSE(field->IsEnterKeyRequired()) << name;
    EXPECT_FALSE(field->IsProtected()) << name;
  }
}

// A single section whose form has occurrence cells: the group builder lays out the items
// on that form (docs/forms-layout.md, labels up to 500 pixels); the group keeps the
// section's name and label and shows no screen text.
TEST_F(VeskFormsTest, AFormWithCellsIsLaidOutByTheGroupBuilder) {
  auto ff = Forms(
      Build({{{.name = "S", .labels = {"Section"}},
              {{.name = "AGE", .start = 5, .len = 3, .form = "F", .labels = {"Age"}},
               {.name = "NAME", .type = 'A', .start = 8, .len = 20, .form = "F", .labels = {"Name of the person"}},
               {.name = "INC", .type = 'A', .start = 28, .len = 7, .decimals = 2, .form = "F", .labels = {"Income"}},
               {.name = "ELSE", .start = 35, .form = "G"}},
              {{.name = "F", .text = "Age [   ]\n", .cells = {0, 0, 0x0100}}, {.name = "G"}}}}));
  const CDEForm* form = ff->GetForm(0);
  const CDEGroup* group = form->GetGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetName(), "S");
  EXPECT_EQ(group->GetLabel(), "Section" + std::string(23, ' '));
  EXPECT_EQ(group->GetFormNum(), 0);
  EXPECT_EQ(Outline(*group), "AGE NAME INC");
  struct Expected {
    const char* label;
    const char* text;
    const char* box;
  };
  const Expected expected[] = {
      {"Age", "10,11,31,24", "146,10,177,25"},
      {"Name of the person", "10,32,136,45", "146,31,347,46"},
      {"Income", "10,53,52,66", "146,52,227,67"},  // 8 characters: no decimal character
  };
  for (int i = 0; i < 3; ++i) {
    const auto* field = static_cast<const CDEField*>(group->GetItem(i));
    EXPECT_EQ(field->GetLabel(), expected[i].label);
    EXPECT_EQ(Box(field->GetTextDims()), expected[i].text);
    EXPECT_EQ(Box(field->GetDims()), expected[i].box);
    EXPECT_EQ(field->GetFormNum(), 0);
  }
  EXPECT_EQ(Box(group->GetDims()), "0,0,357,77");
  EXPECT_EQ(Box(form->GetDims()), "0,0,367,87");
  EXPECT_TRUE(TextsOn(*form).empty());
  EXPECT_EQ(form->GetNumItems(), 3);
}

// A form with cells shows its items only when those of the record that lie on other
// forms are fewer than its own; items on no form do not count.
TEST_F(VeskFormsTest, AFormWithCellsIsLaidOutOnlyWhenItHoldsMostOfItsRecord) {
  struct Case {
    int onFirst, onSecond, onNone;
    int first, second;  // the fields of each form's group; -1 for no group
  };
  const Case cases[] = {
      {10, 3, 0, 10, 0}, {3, 10, 0, 0, 10}, {4, 4, 0, 0, 0}, {2, 1, 0, 2, 0}, {3, 0, 5, 3, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.onFirst) + " and " + std::to_string(c.onSecond) + " on the forms, " +
                 std::to_string(c.onNone) + " on none");
    host = HookHost();
    SectionDef section{{.name = "S"}, {}, {{.name = "F1", .cells = {0, 0}}, {.name = "F2", .cells = {0, 0}}}};
    int16_t start = 5;
    auto add = [&](const char* prefix, int n, const char* form) {
      for (int i = 0; i < n; ++i)
        section.vars.push_back({.name = prefix + std::to_string(i), .start = start++, .form = form});
    };
    add("A", c.onFirst, "F1");
    add("B", c.onSecond, "F2");
    add("N", c.onNone, "");
    auto ff = Forms(Build({section}));
    const int expected[] = {c.first, c.second};
    for (int f = 0; f < 2; ++f) {
      const CDEGroup* group = ff->GetForm(f)->GetGroup();
      if (expected[f] < 0) {
        EXPECT_EQ(group, nullptr) << f;
        continue;
      }
      ASSERT_NE(group, nullptr) << f;
      EXPECT_EQ(group->GetNumItems(), expected[f]) << f;
      EXPECT_EQ(ff->GetForm(f)->GetNumItems(), expected[f]) << f;
      for (int i = 0; i < group->GetNumItems(); ++i)
        EXPECT_EQ(group->GetItem(i)->GetName()[0], f == 0 ? 'A' : 'B') << group->GetItem(i)->GetName();
    }
  }
}

// A group member on a single section's form without cells: its whole group run becomes one
// roster at the member's position, once per group run and form.
TEST_F(VeskFormsTest, GroupMembersOnAFormWithoutCellsBecomeARosterOfTheirRun) {
  struct Case {
    const char* what;
    std::vector<VariableSpec> vars;
    std::vector<std::string> outlines;  // per form
    std::string form;                   // the first form's rectangle
  };
  const VariableSpec a{.name = "A", .start = 5, .form = "F", .row = 1, .col = 10};
  const VariableSpec b{.name = "B", .start = 30, .form = "F", .row = 9, .col = 10};
  const VariableSpec m1{
      .name = "M1", .kind = 'M', .start = 6, .len = 2, .form = "F", .row = 3, .col = 20, .labels = {"Crop"}};
  const VariableSpec m2{
      .name = "M2", .kind = 'M', .start = 8, .len = 3, .form = "F", .row = 3, .col = 30, .labels = {"Share"}};
  VariableSpec m2Elsewhere = m2;
  m2Elsewhere.form = "F2";
  m2Elsewhere.row = 5;
  VariableSpec m3 = m2;
  m3.name = "M3";
  m3.start = 31;
  // The columns are 36 (Crop) and 43 (Share) wide, the heading band 21 high and the 4 rows
  // 23 each: the roster at 200,66 takes up to 279,179; B reaches 213.
  const Case cases[] = {
      {"a run on one form", {a, m1, m2, b}, {"A S_GROUP_ROSTER{M1 M2}x4 B", ""}, "0,0,299,233"},
      {"a run over two forms",
       {a, m1, m2Elsewhere, b},
       {"A S_GROUP_ROSTER{M1 M2}x4 B", "S_GROUP_ROSTER{M1 M2}x4"},
       "0,0,299,233"},
      // The second run's roster stands at M3's position, 300,66, one column of 43.
      {"two runs", {a, m1, m2, b, m3}, {"A S_GROUP_ROSTER{M1 M2}x4 B S_GROUP_ROSTER{M3}x4", ""}, "0,0,363,233"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = HookHost();
    auto ff = Forms(Build({{{.name = "S", .groupOcc = 4}, c.vars, {{.name = "F"}, {.name = "F2"}}}}));
    EXPECT_TRUE(host.messages.empty()) << Messages();
    ASSERT_EQ(ff->GetNumForms(), 2);
    for (int f = 0; f < 2; ++f) {
      const CDEGroup* group = ff->GetForm(f)->GetGroup();
      EXPECT_EQ(group ? Outline(*group) : "", c.outlines[f]) << f;
    }
    const CDEGroup* group = ff->GetForm(0)->GetGroup();
    ASSERT_NE(group, nullptr);
    const auto* roster = static_cast<const CDEGroup*>(group->GetItem(1));
    EXPECT_EQ(Box(roster->GetDims()), "200,66,-1,-1");
    EXPECT_EQ(roster->GetFormNum(), 0);
    EXPECT_EQ(roster->GetLabel(), "Item created from VESK Group");
    // The first column's heading and box, from the member's position.
    const auto* column = static_cast<const CDEField*>(roster->GetItem(0));
    EXPECT_EQ(Box(column->GetTextDims()), "204,70,232,83");
    EXPECT_EQ(Box(column->GetDims()), "207,91,228,106");
    for (int i = 0; i < roster->GetNumItems(); ++i) {
      const auto* field = static_cast<const CDEField*>(roster->GetItem(i));
      EXPECT_EQ(field->GetItemDict(), "SURVEY");
      EXPECT_EQ(field->GetFormNum(), 0);
    }
    EXPECT_EQ(Box(ff->GetForm(0)->GetDims()), c.form);
  }
}

// ---------------------------------------------------------------- phases and outputs

// A small dictionary with forms: HID is an identification item, A and B go to the record.
VeskBuilder Small() {
  return Build({{{.name = "S"},
                 {{.name = "HID", .start = 1, .len = 3, .form = "F", .row = 1},
                  {.name = "A", .start = 5, .form = "F", .row = 2},
                  {.name = "B", .start = 6, .form = "F", .row = 3}},
                 {{.name = "F", .text = "Household\n"}}}});
}

TEST_F(VeskFormsTest, ProgressRunsOnThroughTheFormsPhase) {
  ASSERT_TRUE(ConvertForms(Small())) << Messages();
  EXPECT_TRUE(app.LastConversionWroteOutput());
  EXPECT_TRUE(host.messages.empty()) << Messages();
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"Converting ...", "Validating ...", "Saving ...", "Saving ...",
                                                     "Converting ...", "Saving ..."}));
  EXPECT_EQ(host.ranges, (std::vector<std::pair<int, int>>{{1, 3}, {1, 100}}));
  EXPECT_EQ(host.positions, (std::vector<int>{2, 3, 3, 1, 15, 45, 65, 100}));
  EXPECT_EQ(host.checks, 4);
  EXPECT_EQ(host.progressWindows, 1);
  EXPECT_EQ(host.progressOpen, 0);
  EXPECT_EQ(FolderEntries(dir.path()), (std::set<std::string>{"survey.dic", "out.dcf", "out.fmf"}));
}

// Without forms nothing is generated: the dictionary is written, a previous forms file
// stays byte for byte, and the conversion counts as one that wrote its output.
TEST_F(VeskFormsTest, ADictionaryWithoutFormsWritesOnlyTheDictionary) {
  for (const bool previous : {false, true}) {
    SCOPED_TRACE(previous ? "a previous forms file" : "no forms file");
    host = HookHost();
    fs::remove(output);
    fs::remove(fmf);
    if (previous) WriteText(fmf, "previous forms\n");
    EXPECT_TRUE(ConvertForms(Build({{{.name = "S"}, {{.name = "A", .start = 5, .form = "F"}}}})));
    EXPECT_TRUE(app.LastConversionWroteOutput());
    EXPECT_EQ(host.texts(), std::vector<std::string>{"There is no forms to generate. Form File '" + fmf +
                                                     "' (Dic 'SURVEY') will be not generated"});
    EXPECT_EQ(Result().GetLevel(0)->GetNumRecords(), 1);
    if (previous)
      EXPECT_EQ(ReadTextFile(fmf), "previous forms\n");
    else
      EXPECT_FALSE(fs::exists(fmf));
    EXPECT_EQ(host.checks, 2);
    EXPECT_EQ(host.progressOpen, 0);
  }
}

// A Cancel writes nothing more: before the dictionary is saved nothing at all, after it the
// dictionary only. The previous forms file stays byte for byte and nothing half-written is
// left beside it. The forms file is the output of kind 4, so no Cancel is a success.
TEST_F(VeskFormsTest, CancelLeavesThePreviousFormsFile) {
  for (int poll = 1; poll <= 4; ++poll) {
    SCOPED_TRACE("Cancel at poll " + std::to_string(poll));
    host = HookHost();
    host.cancelAtCheck = poll;
    WriteText(output, "previous dictionary\n");
    WriteText(fmf, "previous forms\n");
    EXPECT_FALSE(ConvertForms(Small()));
    EXPECT_FALSE(app.LastConversionWroteOutput());
    EXPECT_TRUE(host.messages.empty()) << Messages();
    EXPECT_EQ(host.checks, poll);
    EXPECT_EQ(ReadTextFile(fmf), "previous forms\n");
    if (poll == 1) {
      EXPECT_EQ(ReadTextFile(output), "previous dictionary\n");
    } else {
      EXPECT_EQ(Result().GetLevel(0)->GetNumRecords(), 1);
    }
    EXPECT_EQ(FolderEntries(dir.path()), (std::set<std::string>{"survey.dic", "out.dcf", "out.fmf"}));
    EXPECT_EQ(host.progressOpen, 0);
  }
}

// The conversion records each file it wrote whole with what it holds, counted from what it
// saved: both files with forms; the dictionary only without forms, or when Cancel came after
// it was saved; nothing when Cancel came first. Kind 3 records the .dcf it wrote in place of
// the name it was given.
TEST_F(VeskFormsTest, TheFilesWrittenAreRecordedWithWhatTheyHold) {
  struct Case {
    const char* what;
    VeskBuilder build;
    int cancelAt;
    bool dictionary, forms;
  };
  const Case cases[] = {
      {"with forms", Small(), 0, true, true},
      {"no forms", Build({{{.name = "S"}, {{.name = "A", .start = 5, .form = "F"}}}}), 0, true, false},
      {"Cancel before saving", Small(), 1, false, false},
      {"Cancel in the forms phase", Small(), 3, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = HookHost();
    host.cancelAtCheck = c.cancelAt;
    fs::remove(output);
    fs::remove(fmf);
    ConvertForms(c.build);
    const WrittenFiles& written = app.LastWrittenFiles();
    EXPECT_EQ(written.dictionary, c.dictionary ? output : "");
    EXPECT_EQ(written.forms, c.forms ? fmf : "");
    EXPECT_EQ(written.formCount, c.forms ? 1 : 0);
    if (c.dictionary) {
      EXPECT_EQ(written.counts, CountDictionary(Result()));
    }
  }
  EXPECT_EQ(app.LastWrittenFiles().counts, (DictionaryCounts{1, 1, 3, 0}));  // HID, A and B

  ASSERT_TRUE(Small().WriteTo(dir.file("plain.dic")));
  host = HookHost();
  EXPECT_TRUE(app.RunConversion(KIND_VESK_TO_TRAVO, dir.file("plain.dic"), dir.file("named.xyz")));
  EXPECT_EQ(app.LastWrittenFiles().Files(), std::vector<std::string>{dir.file("named.dcf")});
  EXPECT_FALSE(fs::exists(dir.file("named.xyz")));
}

// The forms file passed the check before reading, but a folder took its place in the
// forms phase: the save fails, says why, and is no success; the dictionary is whole.
TEST_F(VeskFormsTest, AFailedFormsSaveIsReportedWithTheReason) {
  for (int poll : {3, 4}) {
    SCOPED_TRACE("folder made at poll " + std::to_string(poll));
    host = HookHost();
    fs::remove_all(fmf);
    fs::remove(output);
    host.onPoll = [&](int at) {
      if (at == poll) fs::create_directory(fmf);
    };
    EXPECT_FALSE(ConvertForms(Small()));
    EXPECT_FALSE(app.LastConversionWroteOutput());
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Error saving forms file '" + fmf + "'.\n\nCannot write " + fmf +
                                                     ": it is a folder."});
    EXPECT_TRUE(fs::is_directory(fmf));
    EXPECT_TRUE(fs::is_empty(fmf));
    EXPECT_EQ(Result().GetLevel(0)->GetNumRecords(), 1);
    EXPECT_EQ(host.checks, 4);
    EXPECT_EQ(FolderEntries(dir.path()), (std::set<std::string>{"survey.dic", "out.dcf", "out.fmf"}));
    EXPECT_EQ(host.progressOpen, 0);
  }
}

// A forms file that cannot be written is refused before anything is read or written.
TEST_F(VeskFormsTest, AnUnwritableFormsFileIsRefusedBeforeReading) {
  fs::create_directory(fmf);
  EXPECT_FALSE(ConvertForms(Small()));
  EXPECT_EQ(host.texts(), std::vector<std::string>{"Can't open file '" + fmf + "'"});
  EXPECT_FALSE(fs::exists(output));
  EXPECT_TRUE(fs::is_empty(fmf));
  EXPECT_EQ(host.progressOpen, 0);
}

// ---------------------------------------------------------------- the converter's parts

TEST(VeskFormLayout, FieldsAreSizedFromTheFieldCellAndTheirItem) {
  CFixedTextMeasurer measurer(7, 13);
  ScopedTextMeasurer installed(measurer);
  VeskFormLayout conv;
  CDEFormFile ff;
  conv.MeasureFonts(&ff);
  EXPECT_EQ(conv.FieldCell(), CSize(7, 13));
  struct Case {
    int len, decimals;
    bool decChar;
    const char* label;
    const char* rect;
    const char* text;
  };
  const Case cases[] = {
      {3, 0, false, "Age", "100,50,131,65", "0,0,21,13"},
      {6, 2, true, "Price", "100,50,161,65", "0,0,35,13"},
      {6, 2, false, "Price", "100,50,171,65", "0,0,35,13"},  // room for the decimal point
      {6, 0, true, "", "100,50,161,65", "0,0,0,0"},
      {1, 0, false, "Qualit\xC3\xA9", "100,50,111,65", "0,0,49,13"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.len) + "." + std::to_string(c.decimals) + (c.decChar ? " with" : " without"));
    CDictItem item;
    item.SetLen(c.len);
    item.SetDecimal(c.decimals);
    item.SetDecChar(c.decChar);
    CDEField field;
    field.SetDictItem(&item);
    field.SetLabel(c.label);
    field.SetDims(100, 50, 0, 0);
    EXPECT_TRUE(conv.SizeField(&field));
    EXPECT_EQ(Box(field.GetDims()), c.rect);
    EXPECT_EQ(Box(field.GetTextDims()), c.text);
    EXPECT_FALSE(conv.SizeField(&field));  // nothing left to change
  }
  // Without an item, or with an item of no length, a field keeps its size.
  CDEField lone;
  lone.SetDims(5, 6, 7, 8);
  EXPECT_FALSE(conv.SizeField(&lone));
  CDictItem empty;
  empty.SetLen(0);
  lone.SetDictItem(&empty);
  EXPECT_FALSE(conv.SizeField(&lone));
  EXPECT_EQ(Box(lone.GetDims()), "5,6,7,8");
}

TEST(VeskFormLayout, TextsPositionsAndForms) {
  CFixedTextMeasurer measurer(7, 13);
  ScopedTextMeasurer installed(measurer);
  VeskFormLayout conv;

  CDEText text;
  text.SetDims(30, 44, 0, 0);
  EXPECT_FALSE(conv.SizeText(&text));  // no text
  text.SetText("Abc");
  EXPECT_TRUE(conv.SizeText(&text));
  EXPECT_EQ(Box(text.GetDims()), "30,44,51,57");
  EXPECT_FALSE(conv.SizeText(&text));

  for (int column : {0, 1, 3, 79, 255}) EXPECT_EQ(VeskFormLayout::ColumnToX(column), 10 * column);

  // A form only grows, and always from 0,0.
  CDEForm form;
  form.SetDims(0, 0, 10, 10);
  conv.GrowForm(&form, 5, 5);
  EXPECT_EQ(Box(form.GetDims()), "0,0,10,10");
  conv.GrowForm(&form, 100, 8);
  EXPECT_EQ(Box(form.GetDims()), "0,0,100,10");
  conv.GrowForm(&form, 50, 70);
  EXPECT_EQ(Box(form.GetDims()), "0,0,100,70");
}

TEST(VeskFormLayout, ModesSetBothFlags) {
  struct Case {
    char mode;
    bool enterKey, protect;
  };
  for (const Case& c : {Case{'A', false, false}, Case{'R', true, false}, Case{'P', false, true},
                        Case{' ', false, false}, Case{'X', false, false}}) {
    SCOPED_TRACE(std::string(1, c.mode));
    CDEField field;
    field.SetEnterKeyRequired(!c.enterKey);
    field.SetProtected(!c.protect);
    VeskFormsBuilder::SetFieldMode(&field, c.mode);
    EXPECT_EQ(field.IsEnterKeyRequired(), c.enterKey);
    EXPECT_EQ(field.IsProtected(), c.protect);
  }
}

// Fields are found inside rosters too, whatever the letter case; texts are no fields.
TEST(VeskFormLayout, FindFieldLooksIntoRosters) {
  CDEGroup group;
  auto* age = new CDEField;
  age->SetName("AGE");
  group.AddItem(age);
  auto* text = new CDEText;
  text->SetName("NOTE");
  group.AddItem(text);
  auto* roster = new CDERoster2;
  auto* sex = new CDEField;
  sex->SetName("sex");
  roster->AddItem(sex);
  group.AddItem(roster);
  EXPECT_EQ(VeskFormsBuilder::FindField(&group, "AGE"), age);
  EXPECT_EQ(VeskFormsBuilder::FindField(&group, "age"), age);
  EXPECT_EQ(VeskFormsBuilder::FindField(&group, "SEX"), sex);
  EXPECT_EQ(VeskFormsBuilder::FindField(&group, "NOTE"), nullptr);
  EXPECT_EQ(VeskFormsBuilder::FindField(&group, "NOPE"), nullptr);
}

// Forms are numbered from 1 over every form of every section (a multiple section's second
// form included); a name that no form has gives 0.
//
// The "doesn't belong to a form" warning of the field layout fires when this gives 0 for a
// variable that its section linked to one of its forms. The VESK library links a variable
// only to a form of that exact name, whose name the index then holds, so no file reaches
// the warning: the lookup is checked here instead.
TEST(VeskFormLayout, FindFormIndexCountsEveryForm) {
  TempDir dir;
  VeskBuilder b = WithHeader();
  b.Section({.name = "A"});
  b.Variable({.name = "X", .start = 5, .form = "AF1"});
  b.Form({.name = "AF1"});
  b.Form({.name = "AF2"});
  b.Section({.name = "B", .code = "2", .maxOcc = 3});
  b.Variable({.name = "Y", .start = 5, .form = "BF1"});
  b.Form({.name = "BF1"});
  b.Form({.name = "BF2"});
  b.Section({.name = "C", .code = "3"});
  b.Variable({.name = "Z", .start = 5, .form = "NOPE"});
  b.Form({.name = "CF"});
  short loaded = 0;
  std::unique_ptr<Dic> dic = Load(dir, b, &loaded);
  ASSERT_TRUE(loaded);
  struct Case {
    const char* name;
    int index;
  };
  for (const Case& c : {Case{"AF1", 1}, Case{"AF2", 2}, Case{"BF1", 3}, Case{"BF2", 4}, Case{"CF", 5}, Case{"NOPE", 0},
                        Case{"", 0}, Case{"af1", 0}}) {
    EXPECT_EQ(VeskFormsBuilder::FindFormIndex(c.name, dic.get()), c.index) << c.name;
  }
  EXPECT_EQ(VeskFormsBuilder::FindFormIndex("AF1", nullptr), 0);
}

}  // namespace
}  // namespace veskconvtest
