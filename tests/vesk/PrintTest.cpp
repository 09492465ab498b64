// Printing: the dictionary listing, the form dump, the field occurrences of a form and
// its HTML page, with the BACK/NEXT links, the error pages and the mended faults (no
// process exit, an unwritable page reported to the caller).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "VeskTestSupport.h"

using namespace vesktest;

namespace {

std::unique_ptr<Dic> LoadOk(const TempDir& dir, const VeskBuilder& b) {
  short result = 0;
  auto dic = Load(dir, b, &result);
  EXPECT_EQ(result, 1) << dic->status;
  return dic;
}

std::string Listing(Dic& dic) {
  std::ostringstream out;
  dic.PrintDic(out);
  return out.str();
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::string Tag(const std::string& name, int len) {
  return "<INPUT TYPE=TEXT NAME=" + name + " SIZE=" + std::to_string(len) + " MAXLENGTH=" + std::to_string(len) +
         ">";
}

// The page of a form written into dir, as text; empty when it was not written.
std::string Page(const TempDir& dir, Frm* frm) {
  std::string path = dir.file(frm->PageFileName());
  std::string error;
  EXPECT_TRUE(frm->PrintWWW(path.c_str(), &error)) << error;
  return ReadText(path);
}

std::string Head(const std::string& form, const std::string& sec = "SEC", const std::string& dic = "SURVEY") {
  return "<HTML>\n<HEAD>\n<TITLE>DICTIONARY '" + dic + "' SECTION '" + sec + "' FORM '" + form +
         "'</TITLE>\n</HEAD>\n<BODY>\n";
}

std::string ErrorPage(const std::string& form, const std::string& message) {
  return Head(form) + "<PRE>\n" + message + "</PRE>\n</BODY>\n</HTML>\n";
}

// The lines of the page between the link line at the top and the <HR>.
std::string ScreenOf(const std::string& page) {
  size_t start = page.find("<PRE>\n");
  size_t end = page.find("<HR>\n");
  if (start == std::string::npos || end == std::string::npos) return "(no screen) " + page;
  std::string screen = page.substr(start + 6, end - start - 6);
  if (screen.rfind("<P>", 0) == 0) screen.erase(0, screen.find('\n') + 1);
  return screen;
}

TEST(PrintDic, ListsKeysSectionsVariablesTransformationsAndForms) {
  const std::string none =
      "\n****** KEYWORDS INFORMATION\n\n*** NONE\n\n\n****** SECTION INFORMATION\n\n*** NONE\n";
  const std::string sectionsNoKeys =
      "\n****** KEYWORDS INFORMATION\n\n*** NONE\n\n\n****** SECTION INFORMATION\n"
      "\n*** SECCION='HOUSE'\nVAR='ID'\nVAR='SEX'\nTRAN: ''to 9.000000\nTRAN: 'M'to 1.000000\n"
      "TRAN: 'F'to 2.500000\n"
      "FRM='HF'\nPRINTING FORM: 'HF'\nSex    \nVAR='SEX', ROW=0, COL=4\n"
      "FRM='EMPTY'\nPRINTING FORM: 'EMPTY'\nNothing\nNO Vars\n"
      "\n*** SECCION='PERSON'\nVAR='AGE'\n\n";
  const std::string withKeys =
      "\n****** KEYWORDS INFORMATION\n"
      "\n*** KEYWORD='MAIN_IDX'\nVAR='ID'\n"
      "\n*** KEYWORD='BYSEX'\nVAR='SEX'\nVAR='ID'\n"
      "\n\n****** SECTION INFORMATION\n"
      "\n*** SECCION='HOUSE'\nVAR='ID'\nVAR='SEX'\nTRAN: ''to 9.000000\nTRAN: 'M'to 1.000000\n"
      "TRAN: 'F'to 2.500000\n"
      "FRM='HF'\nPRINTING FORM: 'HF'\nSex    \nVAR='SEX', ROW=0, COL=4\n"
      "FRM='EMPTY'\nPRINTING FORM: 'EMPTY'\nNothing\nNO Vars\n"
      "\n*** SECCION='PERSON'\nVAR='AGE'\n\n";
  struct Case {
    const char* what;
    bool sections, keys;
    std::string expected;
  } cases[] = {
      {"neither keys nor sections", false, false, none},
      {"sections without keys; ELSE gives a transformation with an empty source", true, false, sectionsNoKeys},
      {"keys and sections", true, true, withKeys},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    VeskBuilder b;
    b.Header({});
    if (c.sections) {
      b.Section({.name = "HOUSE"});
      b.Variable({.name = "ID", .start = 1, .len = 3});
      b.Variable({.name = "SEX", .start = 4, .len = 1, .form = "HF", .col = 4,
                  .transformation = "\"M\" 1 \"F\" 2.5 ELSE 9"});
      b.Form({.name = "HF", .fields = 1, .text = "Sex [ ]\n"});
      b.Form({.name = "EMPTY", .text = "Nothing\n"});
      b.Section({.name = "PERSON", .code = "2"});
      b.Variable({.name = "AGE", .start = 4, .len = 2});
    }
    if (c.keys) {
      b.Key({.tag = 'M', .name = "MAIN_IDX", .vars = {"ID"}});
      b.Key({.tag = 'I', .name = "BYSEX", .vars = {"SEX", "ID"}, .flags = 0});
    }
    auto dic = LoadOk(dir, b);
    EXPECT_EQ(Listing(*dic), c.expected);
    for (uint16_t i = 0; i < dic->forms->count; ++i) EXPECT_EQ(FrmOf(dic->forms, i)->text, nullptr);
  }
}

TEST(PrintDic, WritesTheFileOrFallsBackToStandardOutput) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({.name = "HOUSE"});
  b.Variable({.name = "ID", .len = 3});
  auto dic = LoadOk(dir, b);
  const std::string expected = Listing(*dic);

  const std::string file = dir.file("listing.txt");
  std::ofstream(file) << "an older, much longer listing that must not survive\n";
  testing::internal::CaptureStdout();
  dic->PrintDic(file.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(ReadText(file), expected);

  for (const char* path : {static_cast<const char*>(nullptr), "/no/such/folder/listing.txt"}) {
    testing::internal::CaptureStdout();
    dic->PrintDic(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected) << (path ? path : "null");
  }
  EXPECT_FALSE(std::filesystem::exists("/no/such/folder/listing.txt"));
}

TEST(FrmPrint, DumpsTheBlankedTextAndTheVariables) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Variable({.name = "A", .len = 2, .form = "F", .row = 1, .col = 6});
  b.Variable({.name = "B", .len = 1, .form = "F", .row = 2, .col = 9});
  b.Form({.name = "F", .fields = 2, .text = "Title\nFirst [  ]\nSecond\t [ ]\n"});
  size_t lost = b.Form({.name = "LOST", .text = "ab\n"});
  b.Put16(lost + 12, 9);  // text blocks claimed past the end of the file
  auto dic = LoadOk(dir, b);

  struct Case {
    int form;
    std::string expected;
  } cases[] = {
      {0, "PRINTING FORM: 'F'\nTitle\nFirst     \nSecond      \nVAR='A', ROW=1, COL=6\nVAR='B', ROW=2, COL=9\n"},
      {1, "PRINTING FORM: 'LOST'\nNO Vars\n"},  // no text when it cannot be read
  };
  for (const auto& c : cases) {
    Frm* frm = FrmOf(dic->forms, c.form);
    std::ostringstream out;
    frm->Print(out);
    EXPECT_EQ(out.str(), c.expected);
    EXPECT_EQ(frm->text, nullptr);

    FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    frm->Print(stream);
    std::rewind(stream);
    std::string written;
    for (int ch; (ch = std::fgetc(stream)) != EOF;) written += static_cast<char>(ch);
    std::fclose(stream);
    EXPECT_EQ(written, c.expected);
  }
}

// ID once on line 0; AGE and SEX repeat twice in the section's group, the second
// occurrence one line below the first (offsets: entry k + 1 for occurrence k).
void RepeatingForm(VeskBuilder& b, int16_t fields, std::vector<uint16_t> cells = {0, 0, 0x0000, 0x0100}) {
  b.Header({});
  b.Section({.name = "PERSON", .maxOcc = 1, .groupOcc = 2});
  b.Variable({.name = "ID", .start = 1, .len = 3, .form = "PF", .row = 0, .col = 5});
  b.Variable({.name = "AGE", .kind = 'M', .start = 4, .len = 2, .form = "PF", .row = 1, .col = 4});
  b.Variable({.name = "SEX", .kind = 'M', .start = 6, .len = 1, .form = "PF", .row = 0, .col = 20});
  b.Form({.name = "PF", .fields = fields, .text = "Id   [   ]          [ ]\nAge [  ]\n    [  ]\n",
          .cells = std::move(cells)});
}

TEST(DoHtmlVars, SortModes) {
  struct Entry {
    int varPos, occNo, row, col, sortKey;
    bool operator==(const Entry&) const = default;
  };
  // Section: 2 occurrences x 3 variables, so occurrence k of variable p has key (k-1)*6+p
  // in the default mode.
  struct Case {
    int mode;
    int16_t fields;
    std::vector<Entry> expected;
  } cases[] = {
      {1, 5, {{0, 0, 0, 5, 5}, {2, 1, 0, 20, 20}, {1, 1, 1, 4, 260}, {2, 2, 1, 20, 276}, {1, 2, 2, 4, 516}}},
      {2, 5, {{0, 0, 0, 5, 0}, {1, 1, 1, 4, 1}, {1, 2, 2, 4, 2}, {2, 1, 0, 20, 3}, {2, 2, 1, 20, 4}}},
      {0, 5, {{0, 0, 0, 5, 0}, {1, 1, 1, 4, 1}, {2, 1, 0, 20, 2}, {1, 2, 2, 4, 7}, {2, 2, 1, 20, 8}}},
      {9, 5, {{0, 0, 0, 5, 0}, {1, 1, 1, 4, 1}, {2, 1, 0, 20, 2}, {1, 2, 2, 4, 7}, {2, 2, 1, 20, 8}}},
      // Entries beyond the fields there are stay zero and are sorted with the others.
      {1, 7, {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 5, 5}, {2, 1, 0, 20, 20}, {1, 1, 1, 4, 260},
              {2, 2, 1, 20, 276}, {1, 2, 2, 4, 516}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", " << c.fields << " fields");
    TempDir dir;
    VeskBuilder b;
    RepeatingForm(b, c.fields);
    auto dic = LoadOk(dir, b);
    Frm* frm = FrmOf(dic->forms, 0);
    HTML_VAR* entries = frm->DoHtmlVars(c.mode);
    ASSERT_NE(entries, nullptr);
    std::vector<Entry> got;
    for (int i = 0; i < frm->nFields; ++i)
      got.push_back({entries[i].varPos, entries[i].occNo, entries[i].row, entries[i].col, entries[i].sortKey});
    std::free(entries);
    EXPECT_EQ(got.size(), c.expected.size());
    for (size_t i = 0; i < got.size() && i < c.expected.size(); ++i)
      EXPECT_TRUE(got[i] == c.expected[i]) << "entry " << i << ": var " << got[i].varPos << " occ " << got[i].occNo
                                           << " at " << got[i].row << "," << got[i].col << " key " << got[i].sortKey;
  }
}

// Each of these once ended the process; now there is no array, and the page says so.
TEST(DoHtmlVars, NoArrayWhenTheFieldsCannotBePlaced) {
  struct Case {
    const char* what;
    int16_t fields;
    std::vector<uint16_t> cells;
    bool array;
  } cases[] = {
      {"exactly as many fields as occurrences", 5, {0, 0, 0, 0x100}, true},
      {"a repeating field without occurrence offsets", 5, {}, false},
      {"a repeating variable needs more entries than the form has fields", 4, {0, 0, 0, 0x100}, false},
      {"the fields run out before the repeating variable: it is not reached", 1, {}, true},
      {"no fields", 0, {0, 0, 0, 0x100}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    VeskBuilder b;
    RepeatingForm(b, c.fields, c.cells);
    auto dic = LoadOk(dir, b);
    Frm* frm = FrmOf(dic->forms, 0);
    for (int mode : {0, 1, 2}) {
      HTML_VAR* entries = frm->DoHtmlVars(mode);
      EXPECT_EQ(entries != nullptr, c.array) << "mode " << mode;
      std::free(entries);
    }
  }
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Form({.name = "NOVARS", .fields = 3, .text = "x\n"});
  auto dic = LoadOk(dir, b);
  EXPECT_EQ(FrmOf(dic->forms, 0)->DoHtmlVars(1), nullptr);
}

TEST(PrintWWW, OccurrencesGetNumberedInputTags) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({.name = "PERSON", .maxOcc = 1, .groupOcc = 2});
  b.Variable({.name = "AGE", .kind = 'M', .start = 4, .len = 2, .form = "PF", .row = 1, .col = 5});
  b.Form({.name = "PF", .fields = 2, .text = "Ages\nOne [  ]\nTwo [  ]\n", .cells = {0, 0, 0x0000, 0x0100}});
  auto dic = LoadOk(dir, b);
  EXPECT_EQ(Page(dir, FrmOf(dic->forms, 0)),
            "<HTML>\n"
            "<HEAD>\n"
            "<TITLE>DICTIONARY 'SURVEY' SECTION 'PERSON' FORM 'PF'</TITLE>\n"
            "</HEAD>\n"
            "<BODY>\n"
            "<FONT SIZE=\"3\" FACE=\"MS LineDraw\">\n"
            "<PRE>\n"
            "Ages\n"
            "One  <INPUT TYPE=TEXT NAME=AGE_0001 SIZE=2 MAXLENGTH=2> \n"
            "Two  <INPUT TYPE=TEXT NAME=AGE_0002 SIZE=2 MAXLENGTH=2> \n"
            "<HR>\n"
            "</PRE>\n"
            "</FONT>\n"
            "</BODY>\n"
            "</HTML>\n");
  EXPECT_EQ(FrmOf(dic->forms, 0)->text, nullptr);
}

// Columns count bytes of the screen line; each tag moves the fields after it on its line.
TEST(PrintWWW, FieldsReplaceTheirColumnsOfTheLine) {
  struct Field {
    std::string name;
    int len, row, col;
  };
  struct Case {
    const char* what;
    std::string text;
    std::vector<Field> fields;
    std::string screen;
  } cases[] = {
      {"two fields on a line land where their brackets were",
       "A [    ] B [     ]\n",
       {{"X", 4, 0, 3}, {"Y", 5, 0, 12}},
       "A  " + Tag("X", 4) + "  B  " + Tag("Y", 5) + " \n"},
      {"a field at column 0 and one on the next line", "[  ]x\n[ ]\n", {{"P", 2, 0, 0}, {"Q", 1, 1, 0}},
       Tag("P", 2) + "  x\n" + Tag("Q", 1) + "  \n"},
      {"a field running past the end of its line is cut there", "ab [\n", {{"L", 6, 0, 3}}, "ab " + Tag("L", 6) + "\n"},
      {"a field at or beyond the end of its line is left out, the next one still lands",
       "abc [ ]\n",
       {{"FAR", 3, 0, 40}, {"END", 3, 0, 7}, {"NEAR", 1, 0, 5}},
       "abc  " + Tag("NEAR", 1) + " \n"},
      {"a field of a line the text does not have is left out", "only\n", {{"GONE", 1, 3, 0}}, "only\n"},
      {"an empty line keeps its place", "\n[ ]\n", {{"S", 1, 1, 1}}, "\n " + Tag("S", 1) + " \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    VeskBuilder b;
    b.Header({});
    b.Section({});
    for (const auto& f : c.fields)
      b.Variable({.name = f.name, .len = f.len, .form = "F", .row = static_cast<uint8_t>(f.row),
                  .col = static_cast<uint8_t>(f.col)});
    b.Form({.name = "F", .fields = static_cast<int16_t>(c.fields.size()), .text = c.text});
    auto dic = LoadOk(dir, b);
    EXPECT_EQ(ScreenOf(Page(dir, FrmOf(dic->forms, 0))), c.screen);
  }
}

TEST(PrintWWW, LinksChainTheFormsOfTheWholeFile) {
  const std::string open = "<P><FONT SIZE=\"4\" face=\"Courier New\"><CENTER>";
  const std::string close = "</CENTER></FONT></P>\n";
  auto back = [](const std::string& to) { return "<a href=\"" + to + ".HTM\"><em><strong>BACK</strong></em></a>"; };
  auto next = [](const std::string& to) { return "<a href=\"" + to + ".HTM\"><em><strong>NEXT</strong></em></a>"; };
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({.name = "ONE"});
  b.Variable({.name = "A", .len = 1, .form = "F1"});
  b.Variable({.name = "B", .len = 1, .form = "F2"});
  b.Form({.name = "F1", .fields = 1, .text = "a\n"});
  b.Form({.name = "F2", .fields = 1, .text = "b\n"});
  b.Section({.name = "TWO", .code = "2"});
  b.Variable({.name = "C", .start = 4, .len = 1, .form = "F3"});
  b.Form({.name = "F3", .fields = 1, .text = "c\n"});
  auto dic = LoadOk(dir, b);
  struct Case {
    int form;
    std::string links;
  } cases[] = {
      {0, open + "        " + next("F2") + close},
      {1, open + back("F1") + "    " + next("F3") + close},
      {2, open + back("F2") + "        " + close},
  };
  for (const auto& c : cases) {
    Frm* frm = FrmOf(dic->forms, c.form);
    std::string page = Page(dir, frm);
    std::string field = Tag(frm->name == "F1" ? "A" : frm->name == "F2" ? "B" : "C", 1);
    std::string sec = c.form < 2 ? "ONE" : "TWO";
    EXPECT_EQ(page, Head(frm->name, sec) + "<FONT SIZE=\"3\" FACE=\"MS LineDraw\">\n<PRE>\n" + c.links + field +
                        "\n<HR>\n" + c.links + "</PRE>\n</FONT>\n</BODY>\n</HTML>\n")
        << frm->name;
  }
}

TEST(PrintWWW, FormsThatCannotBeShownGetAnErrorPage) {
  const std::string noFields = "*** ERROR: Formulario NO tiene campos\n";
  const std::string noDisk = "*** ERROR: No puede cargar el formulario del disco\n";
  const std::string noArray = "*** ERROR: No hay memoria para arreglo interno de variables\n";
  struct Case {
    const char* what;
    int16_t fields;
    bool textLost, withVars;
    std::vector<uint16_t> cells;
    std::string message;
  } cases[] = {
      {"no fields", 0, false, true, {0, 0, 0, 0x100}, noFields},
      {"no fields and no text: the fields are named first", 0, true, true, {0, 0, 0, 0x100}, noFields},
      {"the text cannot be read", 5, true, true, {0, 0, 0, 0x100}, noDisk},
      {"no variables on the form", 5, false, false, {}, noArray},
      {"a repeating field without occurrence offsets", 5, false, true, {}, noArray},
      {"fewer fields than occurrences", 2, false, true, {0, 0, 0, 0x100}, noArray},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    VeskBuilder b;
    b.Header({});
    b.Section({.name = "SEC", .maxOcc = 1, .groupOcc = 2});
    std::string form = c.withVars ? "PF" : "";
    b.Variable({.name = "ID", .start = 1, .len = 3, .form = form, .col = 5});
    b.Variable({.name = "AGE", .kind = 'M', .start = 4, .len = 2, .form = form, .row = 1, .col = 4});
    size_t at = b.Form({.name = "PF", .fields = c.fields, .text = "Id   [   ]\nAge [  ]\n", .cells = c.cells});
    if (c.textLost) b.Put16(at + 12, 90);  // text blocks claimed past the end of the file
    auto dic = LoadOk(dir, b);
    Frm* frm = FrmOf(dic->forms, 0);
    EXPECT_EQ(Page(dir, frm), ErrorPage("PF", c.message));
    EXPECT_EQ(frm->text, nullptr);
  }
}

TEST(PrintWWW, ScreenTextIsEscapedAndConvertedToUtf8) {
  struct Case {
    const char* what;
    std::string text;
    int col;
    std::string screen;
  } cases[] = {
      {"markup characters before a field do not move it", "R&D <x> [ ]\n", 9,
       "R&amp;D &lt;x&gt;  " + Tag("V", 1) + " \n"},
      {"OEM letters become UTF-8", "Se\xA4or \x82 [ ]\n", 9, "Se\xC3\xB1or \xC3\xA9  " + Tag("V", 1) + " \n"},
      {"markup after a field", "[ ] a<b & c>d\n", 1, " " + Tag("V", 1) + "  a&lt;b &amp; c&gt;d\n"},
      {"box drawing characters", "\xC9\xCD\xBB [ ]\n", 5, "\xE2\x95\x94\xE2\x95\x90\xE2\x95\x97  " + Tag("V", 1) + " \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    VeskBuilder b;
    b.Header({.name = "R&D"});
    b.Section({.name = "S<1>"});
    b.Variable({.name = "V", .len = 1, .form = "F", .col = static_cast<uint8_t>(c.col)});
    b.Form({.name = "F", .fields = 1, .text = c.text});
    auto dic = LoadOk(dir, b);
    std::string page = Page(dir, FrmOf(dic->forms, 0));
    EXPECT_EQ(ScreenOf(page), c.screen);
    EXPECT_NE(page.find("<TITLE>DICTIONARY 'R&amp;D' SECTION 'S&lt;1&gt;' FORM 'F'</TITLE>\n"), std::string::npos)
        << page;
  }
}

// Two hundred occurrences, 128 of them on the first line (offsets carry columns up to 255),
// make a line of over six thousand characters once tagged: every field in its place.
TEST(PrintWWW, AVeryLongLineKeepsEveryField) {
  constexpr int kOccurrences = 200;
  std::vector<uint16_t> cells = {0, 0};
  std::string text, screen;
  for (int k = 1; k <= kOccurrences; ++k) {
    cells.push_back(static_cast<uint16_t>(2 * (k - 1) < 256 ? 2 * (k - 1) : 0x0100 + 2 * (k - 1) - 256));
    text += "ab";
  }
  // Offsets carry a column below 256: the occurrences past column 255 go to line 1.
  std::string second;
  for (int k = 1; k <= kOccurrences; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "V_%04d", k);
    (2 * (k - 1) < 256 ? screen : second) += Tag(name, 1) + "b";
  }
  text = text.substr(0, 256) + "\n" + text.substr(0, 2 * kOccurrences - 256) + "\n";
  screen += "\n" + second + "\n";
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({.maxOcc = 1, .groupOcc = kOccurrences});
  b.Variable({.name = "V", .kind = 'M', .len = 1, .form = "F"});
  b.Form({.name = "F", .fields = kOccurrences, .text = text, .cells = cells});
  auto dic = LoadOk(dir, b);
  std::string page = Page(dir, FrmOf(dic->forms, 0));
  EXPECT_EQ(ScreenOf(page), screen);
  EXPECT_GT(screen.find('\n'), 4096u);
}

TEST(PrintWWW, AnUnwritablePageIsReportedAndNothingIsLeftBehind) {
  TempDir dir;
  VeskBuilder b;
  b.Header({});
  b.Section({});
  b.Variable({.name = "V", .len = 1, .form = "F"});
  b.Form({.name = "F", .fields = 1, .text = "[ ]\n"});
  auto dic = LoadOk(dir, b);
  Frm* frm = FrmOf(dic->forms, 0);
  std::filesystem::create_directory(dir.file("folder.HTM"));
  for (const std::string& path : {dir.file("missing/F.HTM"), dir.file("folder.HTM"), std::string()}) {
    SCOPED_TRACE(path);
    std::string error;
    EXPECT_FALSE(frm->PrintWWW(path.c_str(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(frm->PrintWWW(path.c_str()));  // without a place for the reason
    EXPECT_EQ(frm->text, nullptr);
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.HTM")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // T.DIC and the folder

  // Without a path the page is named after the form, in the current folder.
  const auto here = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_TRUE(frm->PrintWWW(nullptr));
  std::filesystem::current_path(here);
  EXPECT_EQ(ScreenOf(ReadText(dir.file("F.HTM"))), Tag("V", 1) + "  \n");
}

TEST(PrintWWW, PageNamesStayInTheirFolderAndLinksReachThem) {
  struct Case {
    std::string name, page, href;
  } cases[] = {
      {"PF", "PF.HTM", "PF.HTM"},
      {"../X", ".._X.HTM", ".._X.HTM"},
      {"A B#\x82Z", "A B#\xC3\xA9Z.HTM", "A%20B%23%C3%A9Z.HTM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    TempDir dir;
    VeskBuilder b;
    b.Header({});
    b.Section({});
    b.Variable({.name = "V", .len = 1, .form = "FIRST"});
    b.Form({.name = "FIRST", .fields = 1, .text = "[ ]\n"});
    b.Form({.name = c.name, .text = "x\n"});
    auto dic = LoadOk(dir, b);
    Frm* second = FrmOf(dic->forms, 1);
    EXPECT_EQ(second->PageFileName(), c.page);
    EXPECT_NE(Page(dir, FrmOf(dic->forms, 0)).find("<a href=\"" + c.href + "\">"), std::string::npos);
  }
}

}  // namespace
