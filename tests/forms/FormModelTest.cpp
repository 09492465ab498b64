// The forms model: who owns what, the refused adds, the links to the dictionary.
#include <gtest/gtest.h>

#include "SampleForms.h"
#include "libs/forms/FormFile.h"

namespace {

TEST(FormModel, AFullModelIsDestroyedOnceWhateverOrderItWasBuiltIn) {
  // Run under AddressSanitizer this shows neither a leak nor a double free: groups own
  // items that forms show, forms own their texts, and forms refer to each other's items.
  auto ff = BuildSampleFormFile();
  EXPECT_EQ(ff->GetNumLevels(), 2);
  EXPECT_EQ(ff->GetNumForms(), 3);
  ff.reset();

  // The converter's order: the group is filled and shown on the form before the level
  // takes it, and the form's texts belong to the form alone.
  CDEFormFile file;
  auto* form = new CDEForm;
  auto* group = new CDEGroup;
  auto* field = new CDEField;
  auto* text = new CDEText;
  file.AddForm(form);
  form->AddItem(text);
  form->SetGroup(group);
  group->AddItem(field);
  form->AddItem(field);
  auto* level = new CDELevel;
  file.AddLevel(level);
  level->AddGroup(group);
  EXPECT_TRUE(form->OwnsItem(text));
  EXPECT_FALSE(form->OwnsItem(field));
  EXPECT_EQ(form->GetItem(1), field);
}

TEST(FormModel, GroupsAndLevelsTakeItemsOverFromForms) {
  CDEForm form;
  auto* field = new CDEField;
  auto* group = new CDEGroup;
  ASSERT_EQ(form.AddItem(field), 0);
  ASSERT_EQ(form.AddItem(group), 1);
  EXPECT_TRUE(form.OwnsItem(field));
  EXPECT_TRUE(form.OwnsItem(group));

  EXPECT_EQ(group->AddItem(field), 0);  // the group owns it now; the form still shows it
  EXPECT_FALSE(form.OwnsItem(field));
  EXPECT_EQ(form.GetItem(0), field);

  CDELevel level;
  EXPECT_EQ(level.AddGroup(group), 0);
  EXPECT_FALSE(form.OwnsItem(group));
  EXPECT_EQ(form.GetNumItems(), 2);
}

TEST(FormModel, AddsThatWouldShareOrLoopOwnershipAreRefused) {
  CDEFormFile file;
  auto* level = new CDELevel;
  auto* outer = new CDEGroup;
  auto* inner = new CDERoster2;
  auto* field = new CDEField;
  ASSERT_EQ(file.AddLevel(level), 0);
  ASSERT_EQ(level->AddGroup(outer), 0);
  ASSERT_EQ(outer->AddItem(inner), 0);
  ASSERT_EQ(inner->AddItem(field), 0);

  EXPECT_EQ(file.AddLevel(level), -1);
  EXPECT_EQ(file.AddLevel(nullptr), -1);
  EXPECT_EQ(file.AddForm(nullptr), -1);
  EXPECT_EQ(level->AddGroup(outer), -1);
  EXPECT_EQ(level->AddGroup(inner), -1);    // a group holds it
  EXPECT_EQ(level->AddGroup(nullptr), -1);
  EXPECT_EQ(outer->AddItem(field), -1);     // another group holds it
  EXPECT_EQ(inner->AddItem(field), -1);     // already there
  EXPECT_EQ(inner->AddItem(inner), -1);     // itself
  EXPECT_EQ(inner->AddItem(outer), -1);     // its own container
  EXPECT_EQ(inner->AddItem(nullptr), -1);

  auto* form = new CDEForm;
  ASSERT_EQ(file.AddForm(form), 0);
  EXPECT_EQ(file.AddForm(form), -1);
  EXPECT_EQ(form->AddItem(field), 0);
  EXPECT_EQ(form->AddItem(field), -1);
  EXPECT_EQ(form->AddItem(nullptr), -1);

  // Nor may a group take in the group that contains it when a form owns that one.
  auto* loose = new CDEGroup;
  auto* looseChild = new CDEGroup;
  form->AddItem(loose);
  loose->AddItem(looseChild);
  EXPECT_EQ(looseChild->AddItem(loose), -1);

  EXPECT_EQ(inner->GetNumItems(), 1);
  EXPECT_EQ(outer->GetNumItems(), 1);
  EXPECT_EQ(file.GetNumLevels(), 1);
  EXPECT_EQ(file.GetNumForms(), 1);
}

TEST(FormModel, AbsentIndexesGiveNull) {
  auto ff = BuildSampleFormFile();
  EXPECT_EQ(ff->GetLevel(-1), nullptr);
  EXPECT_EQ(ff->GetLevel(2), nullptr);
  EXPECT_EQ(ff->GetForm(3), nullptr);
  EXPECT_EQ(ff->GetLevel(0)->GetGroup(2), nullptr);
  EXPECT_EQ(ff->GetLevel(0)->GetGroup(0)->GetItem(4), nullptr);
  EXPECT_EQ(ff->GetForm(0)->GetItem(-1), nullptr);
}

TEST(FormModel, ItemKindsAreFixedAndAFieldsLabelIsItsText) {
  CDEField field;
  CDERoster2 roster;
  EXPECT_EQ(field.GetItemType(), CDEFormBase::Field);
  EXPECT_TRUE(field.SetItemType(2));
  EXPECT_FALSE(field.SetItemType(4));
  EXPECT_EQ(field.GetItemType(), 2);
  EXPECT_EQ(roster.GetItemType(), 4);
  EXPECT_TRUE(roster.HoldsItems());
  EXPECT_FALSE(field.HoldsItems());

  field.SetLabel("Age of the person");
  EXPECT_EQ(field.GetText(), "Age of the person");
  EXPECT_EQ(field.GetDETextPtr()->GetLabel(), "Age of the person");
  CDEFormBase& base = field;
  base.SetLabel("Age");
  EXPECT_EQ(field.GetText(), "Age");

  field.SetDims(CRect(5, 6, 50, 60));
  EXPECT_EQ(field.GetX2(), 50);
  EXPECT_EQ(field.GetY2(), 60);
  EXPECT_EQ(field.GetDims().Width(), 45);
}

CDataDict MakeDict() {
  CDataDict dict;
  dict.SetName("HOUSEHOLD");
  CDictLevel level;
  CDictRecord ids, rec;
  CDictItem id, age, again;
  id.SetName("HHID");
  ids.AddItem(&id);
  level.SetIdItemsRec(&ids);
  age.SetName("AGE");
  age.SetLen(3);
  rec.AddItem(&age);
  again.SetName("hhid");  // the same name once more: fields link to the first, the id item
  rec.AddItem(&again);
  level.AddRecord(&rec);
  dict.AddLevel(&level);
  return dict;
}

TEST(FormModel, UpdatePointersLinksFieldsOfTheDictionaryByName) {
  CDataDict dict = MakeDict();
  CDEFormFile file;
  auto* level = new CDELevel;
  auto* group = new CDEGroup;
  auto* age = new CDEField;
  auto* hhid = new CDEField;
  auto* gone = new CDEField;
  auto* other = new CDEField;
  age->SetItemName("age");  // letter case is ignored, as in dictionaries
  age->SetItemDict("HOUSEHOLD");
  hhid->SetItemName("HHID");  // no dictionary name: the form file's dictionary
  gone->SetItemName("NOT_THERE");
  gone->SetDictItem(dict.GetLevel(0)->GetIdItemsRec()->GetItem(0));
  other->SetItemName("AGE");
  other->SetItemDict("OTHER");
  for (CDEField* f : {age, hhid, gone, other}) group->AddItem(f);
  level->AddGroup(group);
  file.AddLevel(level);
  auto* form = new CDEForm;
  auto* onForm = new CDEField;
  onForm->SetItemName("AGE");
  form->AddItem(onForm);
  file.AddForm(form);

  file.UpdatePointers();  // no dictionary: nothing changes
  EXPECT_EQ(age->GetDictItem(), nullptr);
  EXPECT_NE(gone->GetDictItem(), nullptr);

  file.SetDataDict(&dict);
  file.UpdatePointers();
  const CDictItem* dictAge = dict.GetLevel(0)->GetRecord(0)->GetItem(0);
  EXPECT_EQ(age->GetDictItem(), dictAge);
  EXPECT_EQ(onForm->GetDictItem(), dictAge);
  EXPECT_EQ(hhid->GetDictItem(), dict.GetLevel(0)->GetIdItemsRec()->GetItem(0));
  EXPECT_EQ(gone->GetDictItem(), nullptr);
  EXPECT_EQ(other->GetDictItem(), nullptr);
}

TEST(FormModel, DragOptionsKeepWhatTheBuildersAreGiven) {
  CDEDragOptions options;
  options.UseEnterKey(true);
  options.UseRosters(1);
  options.UseSubitems(true);
  options.SetTextLayout(2);
  EXPECT_TRUE(options.GetUseEnterKey());
  EXPECT_EQ(options.GetUseRosters(), 1);
  EXPECT_TRUE(options.GetUseSubitems());
  EXPECT_EQ(options.GetTextLayout(), 2);
}

}  // namespace
