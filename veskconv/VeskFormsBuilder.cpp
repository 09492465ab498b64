#include "veskconv/VeskFormsBuilder.h"

#include <algorithm>

#include "libs/forms/TextMeasure.h"
#include "veskconv/VeskDictBuilder.h"
#include "veskconv/VeskText.h"

using veskconv::kFormMargin;
using veskconv::kLineHeight;
using veskconv::OemToAnsi;
using veskconv::ReadFirstLabel;

namespace {

constexpr int kLayoutWidth = 500;  // the widest label column the group builder may use

template <class Fn>
void ForEachFormTaken(Sec* sec, Fn fn) {
  if (!sec->forms) return;
  for (uint16_t f = 0; f < sec->forms->count; ++f) {
    fn(static_cast<Frm*>((*sec->forms)[f]));
    if (sec->secKind == 'M') break;  // a multiple section shows only its first form
  }
}

CDEDragOptions RosterOptions() {
  CDEDragOptions options;
  options.UseEnterKey(true);
  options.UseRosters(1);
  options.UseSubitems(false);
  options.SetTextLayout(0);
  return options;
}

CDEDragOptions GroupOptions() {
  CDEDragOptions options = RosterOptions();
  options.UseSubitems(true);
  return options;
}

// The rectangle that holds r and the rectangles of every item inside item.
void Enclose(CRect& r, const CDEItemBase* item) {
  const CRect d = item->GetDims();
  if (d.right >= d.left && d.bottom >= d.top) {
    r.right = std::max(r.right, d.right);
    r.bottom = std::max(r.bottom, d.bottom);
  }
  if (item->GetItemType() == CDEFormBase::Field) {
    const CRect t = static_cast<const CDEField*>(item)->GetTextDims();
    r.right = std::max(r.right, t.right);
    r.bottom = std::max(r.bottom, t.bottom);
  }
  if (const auto* group = item->HoldsItems() ? static_cast<const CDEGroup*>(item) : nullptr)
    for (int i = 0; i < group->GetNumItems(); ++i) Enclose(r, group->GetItem(i));
}

}  // namespace

VeskFormsBuilder::VeskFormsBuilder(CDEFormFile& formFile, const CDataDict& dict, const VeskDictBuilder& links,
                                   IReporter& reporter)
    : m_formFile(formFile), m_dict(dict), m_links(links), m_reporter(reporter) {
  m_layout.MeasureFonts(&formFile);
}

void VeskFormsBuilder::MakeFormFileHeader(Dic& dic, const CString& dcfPath) {
  m_formFile.SetVersion("Travo 4.0");
  CString name;
  name.Format("FL_%s", dic.dicName.c_str());
  m_formFile.SetName(name);
  m_formFile.SetLabel(veskconv::LabelOrName(dic.labels, 30, dic.dicName));
  m_formFile.SetPrimaryDictName(dic.dicName);
  m_formFile.AddDict(new CVornString(dcfPath));
}

void VeskFormsBuilder::MakeForms(Dic& dic) {
  if (!dic.secs) return;
  // Forms, numbered in the order they are added.
  std::unordered_map<const Frm*, int> formNumbers;
  for (uint16_t s = 0; s < dic.secs->count; ++s) {
    ForEachFormTaken(dic.GetSec(static_cast<int>(s)), [&](Frm* frm) {
      auto* form = new CDEForm;
      form->SetDims(0, 0, 10, 10);
      MakeForm(form, frm);
      formNumbers[frm] = m_formFile.GetNumForms();
      m_formFile.AddForm(form);
    });
  }

  // Levels, one for each change of level in the section order.
  CDELevel* level = nullptr;
  int previous = -1;
  for (uint16_t s = 0; s < dic.secs->count; ++s) {
    const Sec* sec = dic.GetSec(static_cast<int>(s));
    if (sec->level == previous) continue;
    if (level) m_formFile.AddLevel(level);
    level = new CDELevel;
    CString text;
    text.Format("LEVEL_%d", sec->level);
    level->SetName(text);
    text.Format("LEVEL%d", sec->level);
    level->SetLabel(text);
    previous = sec->level;
  }
  if (level) m_formFile.AddLevel(level);

  // Groups. Form names are looked up from here on, once they are all trimmed.
  m_mapFormIndex.clear();
  int index = 0;
  for (uint16_t s = 0; s < dic.secs->count; ++s) {
    const Sec* sec = dic.GetSec(static_cast<int>(s));
    for (uint16_t f = 0; sec->forms && f < sec->forms->count; ++f)
      m_mapFormIndex.emplace(static_cast<Frm*>((*sec->forms)[f])->name, ++index);
  }
  for (uint16_t s = 0; s < dic.secs->count; ++s) {
    Sec* sec = dic.GetSec(static_cast<int>(s));
    CDELevel* lev = m_formFile.GetLevel(sec->level - 1);
    if (!lev) continue;
    ForEachFormTaken(sec, [&](Frm* frm) {
      if (!frm->vars || frm->vars->count == 0 || !formNumbers.count(frm)) return;
      auto* grp = new CDEGroup;
      MakeGroup(grp, frm, formNumbers[frm]);
      lev->AddGroup(grp);
    });
  }
}

void VeskFormsBuilder::MakeForm(CDEForm* form, Frm* frm) {
  form->SetName(frm->name);
  frm->name.TrimRight();
  form->SetLabel(frm->name);
  form->SetLevel(frm->sec ? frm->sec->level - 1 : 0);
  m_forms[frm] = form;
  if (frm->sec && frm->sec->secKind == 'S' && !frm->cells)
    m_layout.MakeFormTexts(form, frm, m_formFile.GetDefTxtLF());
}

namespace {

// A working copy of a section's record for the forms library (son numbers when asked).
std::unique_ptr<CDictRecord> CopyRecord(const CDictRecord* source, bool sonNumbers) {
  auto copy = std::make_unique<CDictRecord>();
  if (!source) return copy;
  *copy = *source;
  copy->SetDataDict(source->GetDataDict());
  for (int i = 0; i < copy->GetNumItems(); ++i) {
    copy->GetItem(i)->SetRecord(copy.get());
    if (sonNumbers) copy->GetItem(i)->SetSonNumber(i);
  }
  return copy;
}

}  // namespace

void VeskFormsBuilder::ShowGroupItems(CDEGroup* grp, CDEForm* form) {
  CRect extent(0, 0, 0, 0);
  for (int i = 0; i < grp->GetNumItems(); ++i) {
    form->AddItem(grp->GetItem(i));
    Enclose(extent, grp->GetItem(i));
  }
  m_layout.GrowForm(form, extent.right + kFormMargin, extent.bottom + kFormMargin);
}

void VeskFormsBuilder::MakeGroup(CDEGroup* grp, Frm* frm, int formNum) {
  Sec* sec = frm->sec;
  CDEForm* form = m_forms.at(frm);
  char line[31];
  ReadFirstLabel(sec->labels, line, 30);
  // The line keeps the blanks that fill it to 30 characters.
  CString label = line;
  OemToAnsi(label);
  const bool required = sec->occ && sec->occ->lo >= 1.0;
  CString name = sec->name;
  if (!m_namedGroups.insert(sec).second) name = sec->name + "_" + frm->name;
  auto applyGroupHeader = [&]() {
    grp->SetRequired(required);
    grp->SetName(name);
    grp->SetLabel(label.IsEmpty() ? sec->name : label);
    grp->SetFormNum(formNum);
  };
  applyGroupHeader();
  form->SetGroup(grp);
  if (!frm->vars || frm->vars->count == 0) return;

  auto setModes = [&](CDEGroup* holder) {
    for (uint16_t v = 0; v < frm->vars->count; ++v) {
      Var* var = static_cast<Var*>((*frm->vars)[v]);
      if (FormIndex(var->formName, sec->dic) == 0) continue;
      if (CDEField* field = FindField(holder, var->name)) SetFieldMode(field, var->fieldMode);
    }
  };

  if (sec->secKind == 'M') {
    std::unique_ptr<CDictRecord> copy = CopyRecord(m_links.RecordOf(sec), false);
    const int removed = FilterRecordItems(copy.get(), nullptr);
    if (removed < copy->GetNumItems()) {
      CPoint at(10, 10);
      CRect built;
      CDERoster2* roster = MakeRoster(copy.get(), formNum, &at, &built);
      roster->SetName(sec->name + "_ROSTER");
      // The roster also has columns for the variables on the section's other forms,
      // which are not among this form's.
      SetColumnModes(roster, sec);
      grp->AddItem(roster);
      form->AddItem(roster);
      m_layout.GrowForm(form, built.right + kFormMargin, built.bottom + kFormMargin);
    }
  } else if (frm->cells) {
    std::unique_ptr<CDictRecord> copy = CopyRecord(m_links.RecordOf(sec), true);
    const int removed = FilterRecordItems(copy.get(), frm);
    if (removed < copy->GetNumItems()) {
      CDEDragOptions options = GroupOptions();
      m_formFile.CreateGroup(grp, copy.get(), formNum, &CurrentTextMeasurer(), kLayoutWidth, &options, false,
                               false);
      applyGroupHeader();  // the builder names the group after the record
      setModes(grp);
      ShowGroupItems(grp, form);
    }
  } else {
    LayOutFields(grp, frm, formNum);
  }
}

void VeskFormsBuilder::LayOutFields(CDEGroup* grp, Frm* frm, int formNum) {
  CDEForm* form = m_forms.at(frm);
  for (uint16_t v = 0; v < frm->vars->count; ++v) {
    Var* var = static_cast<Var*>((*frm->vars)[v]);
    char line[61];
    ReadFirstLabel(var->labels, line, 60);
    if (FormIndex(var->formName, frm->sec->dic) == 0) {
      CString warning;
      warning.Format("WARNING: Var '%s' Dic '%s' doesn't belong to a form", var->name,
                     veskconv::DicNameOf(var).c_str());
      m_reporter.ShowMessage(warning, MB_OK);
      continue;
    }
    if (!var->IsSingle()) {
      MakeMemberRoster(grp, form, var, formNum);
      continue;
    }
    auto* field = new CDEField;
    field->SetName(var->name);
    field->SetItemName(var->name);
    CString label = line;
    OemToAnsi(label);
    label.TrimRight();
    field->SetLabel(label.IsEmpty() ? CString("Label ") + var->name : label);
    field->SetItemType(CDEFormBase::Field);
    field->SetOcc(-1);
    field->SetItemDict(m_dict.GetName());
    field->SetFormNum(formNum);
    if (const CDictItem* item = m_dict.LookupName(var->name)) field->SetDictItem(item);
    SetFieldMode(field, var->fieldMode);
    field->SetDims(VeskFormLayout::ColumnToX(var->formCol), kLineHeight * var->formRow, 0, 0);
    m_layout.SizeField(field);
    const CRect r = field->GetDims();
    m_layout.GrowForm(form, r.right + kFormMargin, r.bottom + kFormMargin);
    grp->AddItem(field);
    form->AddItem(field);
  }
}

// A member of a section's repeating group on a form without occurrence cells has a
// screen position but none for its occurrences: its whole group run becomes one roster
// there, with a column per member and a row per occurrence.
void VeskFormsBuilder::MakeMemberRoster(CDEGroup* grp, CDEForm* form, Var* var, int formNum) {
  const CDictRecord* record = var->sec ? m_links.RecordOf(var->sec) : nullptr;
  if (!record) return;
  const CDictItem* groupItem = nullptr;
  bool found = false;
  for (int i = 0; i < record->GetNumItems() && !found; ++i) {
    const CDictItem* item = record->GetItem(i);
    if (item->GetItemType() == Item)
      groupItem = item;
    else
      found = m_links.VarOfSymbol(item->GetSymbol()) == var;
  }
  if (!found || !groupItem) return;
  const auto done = std::make_pair(groupItem, static_cast<const CDEForm*>(form));
  if (std::find(m_aMemberRosters.begin(), m_aMemberRosters.end(), done) != m_aMemberRosters.end()) return;
  m_aMemberRosters.push_back(done);

  CPoint at(VeskFormLayout::ColumnToX(var->formCol), kLineHeight * var->formRow);
  CRect built;
  CDERoster2* roster = MakeRoster(groupItem, formNum, &at, &built);
  roster->SetName(groupItem->GetName() + "_ROSTER");
  SetColumnModes(roster, var->sec);
  grp->AddItem(roster);
  form->AddItem(roster);
  m_layout.GrowForm(form, built.right + kFormMargin, built.bottom + kFormMargin);
}

// Each column of a roster takes the field mode of its own variable of the section.
void VeskFormsBuilder::SetColumnModes(CDERoster2* roster, Sec* sec) {
  for (int i = 0; sec && sec->vars && i < roster->GetNumItems(); ++i) {
    auto* field = dynamic_cast<CDEField*>(roster->GetItem(i));
    Nod* node = field ? sec->vars->Get(field->GetItemName()) : nullptr;
    if (node) SetFieldMode(field, static_cast<Var*>(node->obj)->fieldMode);
  }
}

// Keeps the items whose variables name a form (frm, when given); returns how many of the
// items removed lie on some form.
int VeskFormsBuilder::FilterRecordItems(CDictRecord* rec, Frm* frm) const {
  int removedOnForms = 0;
  for (int i = rec->GetNumItems() - 1; i >= 0; --i) {
    const Var* var = m_links.VarOfSymbol(rec->GetItem(i)->GetSymbol());
    const bool keep = var && var->formName[0] != '\0' && (!frm || var->frm == frm);
    if (keep) continue;
    rec->RemoveItemAt(i);
    if (var && var->frm) ++removedOnForms;
  }
  return removedOnForms;
}

int VeskFormsBuilder::FormIndex(const CString& formName, Dic* dic) const {
  if (m_mapFormIndex.empty()) return FindFormIndex(formName, dic);
  auto found = m_mapFormIndex.find(formName);
  return found == m_mapFormIndex.end() ? 0 : found->second;
}

int VeskFormsBuilder::FindFormIndex(const CString& formName, Dic* dic) {
  int index = 0;
  for (uint16_t s = 0; dic && dic->secs && s < dic->secs->count; ++s) {
    const Sec* sec = dic->GetSec(static_cast<int>(s));
    for (uint16_t f = 0; sec->forms && f < sec->forms->count; ++f) {
      ++index;
      if (static_cast<Frm*>((*sec->forms)[f])->name == formName) return index;
    }
  }
  return 0;
}

CDEField* VeskFormsBuilder::FindField(CDEGroup* grp, const CString& name) {
  for (int i = 0; i < grp->GetNumItems(); ++i) {
    CDEItemBase* item = grp->GetItem(i);
    if (item->GetItemType() == CDEFormBase::Field && item->GetName().CompareNoCase(name) == 0)
      return static_cast<CDEField*>(item);
    if (item->HoldsItems())
      if (CDEField* found = FindField(static_cast<CDEGroup*>(item), name)) return found;
  }
  return nullptr;
}

void VeskFormsBuilder::SetFieldMode(CDEField* field, char mode) {
  field->SetEnterKeyRequired(mode == 'R');
  field->SetProtected(mode == 'P');
}

CDERoster2* VeskFormsBuilder::MakeRoster(const CDictRecord* source, int formNum, CPoint* pt, CRect* built) {
  auto* roster = new CDERoster2;
  CDEDragOptions options = RosterOptions();
  m_formFile.CreateRoster2(roster, source, formNum, *pt, &options, true);
  if (built) Enclose(*built = roster->GetDims(), roster);
  const CRect r = roster->GetDims();
  roster->SetDims(r.left, r.top, -1, -1);
  return roster;
}

CDERoster2* VeskFormsBuilder::MakeRoster(const CDictItem* source, int formNum, CPoint* pt, CRect* built) {
  auto* roster = new CDERoster2;
  // The members of the group run are its columns.
  CDEDragOptions options = GroupOptions();
  m_formFile.CreateRoster2(roster, source, formNum, *pt, &CurrentTextMeasurer(), &options,
                             source->GetOccurs(), true, &m_dict);
  if (built) Enclose(*built = roster->GetDims(), roster);
  const CRect r = roster->GetDims();
  roster->SetDims(r.left, r.top, -1, -1);
  return roster;
}
