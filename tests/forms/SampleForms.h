#pragma once
// A forms file that uses every part of the model, with texts that need escaping.
#include <memory>
#include <string>

#include "libs/forms/FormFile.h"

// Texts that a naive key=value format would damage.
inline const char* const kAwkwardTexts[] = {
    "",
    " leading and trailing blanks ",
    "back\\slash \\n not a newline",
    "line one\nline two\r\nline three",
    "tab\there",
    "key=value [Section] ; not a comment",
    "[Form]",
    "\\",
    " ",
    "controls \x01\x1f\x7f and a NUL \0 inside",
    "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",  // UTF-8: e acute, euro, an emoji
    "latin-1 caf\xE9 and a stray \x80 byte",     // not UTF-8
    "truncated \xE2\x82",
};

inline std::string AwkwardText(size_t i) {
  const size_t n = sizeof kAwkwardTexts / sizeof kAwkwardTexts[0];
  std::string s = kAwkwardTexts[i % n];
  if (i % n == 9) s = std::string("controls \x01\x1f\x7f and a NUL \0 inside", 31);
  return s;
}

inline LOGFONT OddFont(int seed) {
  return LOGFONT{AwkwardText(seed) + "Face, with commas", -9 - seed, 100 * (seed % 9 + 1), seed % 2 == 1};
}

// One level holding a group (with a field, a text, a nested group and a roster) and a
// second group; three forms: one shows the first group's items and owns texts, one owns a
// group of its own and refers to a text the third form owns, one refers to the roster.
inline std::unique_ptr<CDEFormFile> BuildSampleFormFile() {
  auto ff = std::make_unique<CDEFormFile>();
  size_t t = 0;
  auto next = [&t] { return AwkwardText(t++); };
  ff->SetFileName("/data/" + next() + ".fmf");
  ff->SetVersion("Travo 4.0");
  ff->SetName("FL_" + next());
  ff->SetLabel(next());
  ff->SetPrimaryDictName(next());
  ff->IsPathOn(true);
  ff->ConvertRoster(true);
  ff->AddDict(new CVornString("/data/first.dcf"));
  ff->AddDict(next());
  ff->SetDefFldLF(OddFont(1));
  ff->SetDefTxtLF(OddFont(2));

  auto makeField = [&](int formNum) {
    auto* f = new CDEField;
    f->SetName("F" + next());
    f->SetLabel(next());
    f->SetDims(10, 20, 30 + formNum, 40);
    f->SetFormNum(formNum);
    f->SetItemName(next());
    f->SetItemDict(next());
    f->SetOcc(formNum + 2);
    f->IsEnterKeyRequired(formNum % 2 == 0);
    f->IsProtected(formNum % 2 == 1);
    f->GetDETextPtr()->SetName(next());
    f->SetTextDims(-5, -6, 7, 8);
    f->GetDETextPtr()->SetLogfont(OddFont(formNum + 3));
    return f;
  };
  auto makeText = [&](int formNum) {
    auto* x = new CDEText;
    x->SetName("T" + next());
    x->SetText(next());
    x->SetDims(formNum, 2, 3, -2147483647 - 1);
    x->SetFormNum(formNum);
    x->SetLogfont(OddFont(formNum + 5));
    return x;
  };
  auto makeGroup = [&](CDEGroup* g, int formNum) {
    g->SetName("G" + next());
    g->SetLabel(next());
    g->SetDims(0, 0, -1, 2147483647);
    g->SetFormNum(formNum);
    g->SetRequired(formNum == 0);
    g->SetMaxLoops(formNum + 7);
    return g;
  };

  auto* level = new CDELevel;
  level->SetName("LEVEL_1");
  level->SetLabel(next());
  ff->AddLevel(level);
  auto* second = new CDELevel;
  second->SetName(next());
  ff->AddLevel(second);

  auto* group = makeGroup(new CDEGroup, 0);
  auto* field = makeField(0);
  auto* text = makeText(0);
  auto* inner = makeGroup(new CDEGroup, 0);
  inner->AddItem(makeField(0));
  auto* roster = makeGroup(new CDERoster2, 0);
  roster->AddItem(makeField(0));
  roster->AddItem(makeField(0));
  group->AddItem(field);
  group->AddItem(text);
  group->AddItem(inner);
  group->AddItem(roster);
  level->AddGroup(group);
  level->AddGroup(makeGroup(new CDEGroup, 1));

  auto* form0 = new CDEForm;
  form0->SetName(next());
  form0->SetLabel(next());
  form0->SetLevel(0);
  form0->SetDims(0, 0, 420, 320);
  form0->AddItem(makeText(0));
  form0->AddItem(makeText(0));
  form0->AddItem(field);
  form0->AddItem(inner);
  form0->AddItem(makeText(0));
  form0->SetGroup(group);
  ff->AddForm(form0);

  auto* form1 = new CDEForm;
  form1->SetName(next());
  form1->SetLevel(-1);
  form1->SetDims(1, 2, 3, 4);
  auto* own = makeGroup(new CDEGroup, 1);
  own->AddItem(makeField(1));
  form1->AddItem(own);
  form1->SetGroup(own);
  ff->AddForm(form1);

  auto* form2 = new CDEForm;
  form2->SetName(next());
  form2->SetLevel(5);
  auto* laterText = makeText(2);
  form2->AddItem(laterText);
  form2->AddItem(roster);
  ff->AddForm(form2);
  form1->AddItem(laterText);  // a reference to an item a later form owns
  return ff;
}
