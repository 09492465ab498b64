// The forms model: ownership of levels, groups and items, links to the dictionary, and
// the file operations (the text format itself is in FmfWriter.cpp and FmfReader.cpp).
#include "libs/forms/FormFile.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

#include "libs/forms/FormWalk.h"
#include "libs/util/SafeFile.h"

const CDEGroup* AsGroup(const CDEItemBase* item) {
  return item && item->HoldsItems() ? dynamic_cast<const CDEGroup*>(item) : nullptr;
}

// ---- ownership ------------------------------------------------------------------------

std::unique_ptr<CDEItemBase> CDEForm::TakeForLevelTree(CDEItemBase* item) {
  using Holder = CDEItemBase::Holder;
  if (item->m_eHolder == Holder::Level || item->m_eHolder == Holder::Group) return nullptr;
  if (item->m_eHolder == Holder::Form) {
    auto* form = static_cast<CDEForm*>(item->m_pHolder);
    auto it = std::find_if(form->m_aOwned.begin(), form->m_aOwned.end(),
                           [item](const auto& p) { return p.get() == item; });
    std::unique_ptr<CDEItemBase> owned = std::move(*it);
    form->m_aOwned.erase(it);
    item->m_eHolder = Holder::None;
    item->m_pHolder = nullptr;
    return owned;
  }
  return std::unique_ptr<CDEItemBase>(item);
}

void CDEForm::Adopt(CDEItemBase* item) {
  item->m_eHolder = CDEItemBase::Holder::Form;
  item->m_pHolder = this;
  m_aOwned.emplace_back(item);
}

CDEForm::~CDEForm() = default;

int CDEForm::AddItem(CDEItemBase* item) {
  if (!item || m_setItems.count(item)) return -1;
  if (item->m_eHolder == CDEItemBase::Holder::None) Adopt(item);
  m_aItems.push_back(item);
  m_setItems.insert(item);
  return GetNumItems() - 1;
}

CDEItemBase* CDEForm::GetItem(int i) const {
  return i >= 0 && i < GetNumItems() ? m_aItems[i] : nullptr;
}

bool CDEForm::OwnsItem(const CDEItemBase* item) const {
  return item && item->m_eHolder == CDEItemBase::Holder::Form && item->m_pHolder == this;
}

CDEGroup::~CDEGroup() = default;

int CDEGroup::AddItem(CDEItemBase* item) {
  if (!item) return -1;
  // Refuse this group itself and any group that contains it: it would own itself.
  for (const CDEItemBase* p = this; p; ) {
    if (p == item) return -1;
    p = p->m_eHolder == Holder::Group ? static_cast<const CDEGroup*>(p->m_pHolder) : nullptr;
  }
  std::unique_ptr<CDEItemBase> owned = CDEForm::TakeForLevelTree(item);
  if (!owned) return -1;
  owned->m_eHolder = Holder::Group;
  owned->m_pHolder = this;
  m_aItems.push_back(std::move(owned));
  return GetNumItems() - 1;
}

CDEItemBase* CDEGroup::GetItem(int i) const {
  return i >= 0 && i < GetNumItems() ? m_aItems[i].get() : nullptr;
}

CDELevel::~CDELevel() = default;

int CDELevel::AddGroup(CDEGroup* group) {
  if (!group) return -1;
  std::unique_ptr<CDEItemBase> owned = CDEForm::TakeForLevelTree(group);
  if (!owned) return -1;
  owned->m_eHolder = CDEItemBase::Holder::Level;
  owned->m_pHolder = this;
  m_aGroups.emplace_back(static_cast<CDEGroup*>(owned.release()));
  return GetNumGroups() - 1;
}

CDEGroup* CDELevel::GetGroup(int i) const {
  return i >= 0 && i < GetNumGroups() ? m_aGroups[i].get() : nullptr;
}

// ---- the forms file -------------------------------------------------------------------

CDEFormFile::CDEFormFile() : m_fieldFont(DefaultFormFont()), m_textFont(DefaultFormFont()) {}

CDEFormFile::~CDEFormFile() = default;

void CDEFormFile::AddDict(CVornString* name) {
  if (!name) return;
  std::unique_ptr<CVornString> owned(name);
  m_aDicts.push_back(std::move(*owned));
}

int CDEFormFile::AddLevel(CDELevel* level) {
  if (!level || level->m_bHeld) return -1;
  level->m_bHeld = true;
  m_aLevels.emplace_back(level);
  return GetNumLevels() - 1;
}

int CDEFormFile::AddForm(CDEForm* form) {
  if (!form || form->m_bHeld) return -1;
  form->m_bHeld = true;
  m_aForms.emplace_back(form);
  return GetNumForms() - 1;
}

CDELevel* CDEFormFile::GetLevel(int i) const {
  return i >= 0 && i < GetNumLevels() ? m_aLevels[i].get() : nullptr;
}

CDEForm* CDEFormFile::GetForm(int i) const {
  return i >= 0 && i < GetNumForms() ? m_aForms[i].get() : nullptr;
}

namespace {

// Every item of the dictionary by its name in lower case, the first of each name kept
// (id-items records first, then records, level by level): dictionary names ignore letter
// case. Made once per UpdatePointers, so linking stays linear in the number of fields.
std::unordered_map<std::string, const CDictItem*> IndexDictItems(const CDataDict& dict) {
  std::unordered_map<std::string, const CDictItem*> index;
  auto add = [&index](const CDictRecord* rec) {
    for (int i = 0; rec && i < rec->GetNumItems(); ++i) {
      CVornString key = rec->GetItem(i)->GetName();
      key.MakeLower();
      index.emplace(std::move(key), rec->GetItem(i));
    }
  };
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    const CDictLevel* level = dict.GetLevel(l);
    add(level->GetIdItemsRec());
    for (int r = 0; r < level->GetNumRecords(); ++r) add(level->GetRecord(r));
  }
  return index;
}

}  // namespace

void CDEFormFile::UpdatePointers() {
  if (!m_pDataDict) return;
  FormItemIds held = NumberItems(*this);
  const std::unordered_map<std::string, const CDictItem*> items = IndexDictItems(*m_pDataDict);
  for (const auto& [item, id] : held.ids) {
    (void)id;
    if (item->GetItemType() != CDEFormBase::Field) continue;
    auto* field = const_cast<CDEField*>(static_cast<const CDEField*>(item));
    const CVornString& dictName = field->GetItemDict();
    if (!dictName.empty() && dictName.CompareNoCase(m_pDataDict->GetName()) != 0) continue;
    CVornString key = field->GetItemName();
    key.MakeLower();
    const auto found = items.find(key);
    field->SetDictItem(found == items.end() ? nullptr : found->second);
  }
}

void CDEFormFile::TakeContentFrom(CDEFormFile& other) {
  m_sFileName = std::move(other.m_sFileName);
  m_sVersion = std::move(other.m_sVersion);
  m_sName = std::move(other.m_sName);
  m_sLabel = std::move(other.m_sLabel);
  m_sPrimaryDict = std::move(other.m_sPrimaryDict);
  m_bPathOn = other.m_bPathOn;
  m_bConvertRoster = other.m_bConvertRoster;
  m_aDicts = std::move(other.m_aDicts);
  m_fieldFont = other.m_fieldFont;
  m_textFont = other.m_textFont;
  // Forms may refer to groups and items of the old levels: release forms first.
  m_aForms = std::move(other.m_aForms);
  m_aLevels = std::move(other.m_aLevels);
}

bool CDEFormFile::Open(const std::string& path) {
  std::string content, why;
  if (!ReadWholeFile(path, content, &why)) {
    m_sLastError = why;
    return false;
  }
  CDEFormFile loaded;
  if (!FmfFromText(content, loaded, &why)) {
    m_sLastError = "Can't read forms file '" + path + "': " + why;
    return false;
  }
  TakeContentFrom(loaded);
  m_sLastError.clear();
  return true;
}

bool CDEFormFile::Save(const std::string& path) {
  std::string text, why;
  if (!FmfToText(*this, text, &why)) {
    m_sLastError = "Can't save forms file '" + path + "': " + why;
    return false;
  }
  if (!WriteFileAtomically(path, text, &why)) {
    m_sLastError = why;
    return false;
  }
  m_sLastError.clear();
  return true;
}
