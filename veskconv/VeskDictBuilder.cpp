// VESK keeps the case identification of each level as a span of header columns; Travo
// wants it as items of a record of their own, so those come first, from the variables on
// the span and from made-up items for the columns no variable covers.
#include "veskconv/VeskDictBuilder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include "libs/util/ProgressDlg.h"
#include "veskconv/VeskText.h"
#include "veskconv/VeskValueSetBuilder.h"

using veskconv::LabelOrName;
using veskconv::VarName;
using veskconv::VarObject;

namespace {

// The identification span of a level, 1-based columns first to last (empty when last <
// first).
struct IdSpan {
  int first;
  int last;
};

IdSpan LevelIdSpan(const Dic& dic, int levelIndex) {
  const int start = dic.levelIdStart[levelIndex];
  return {start, start + dic.levelIdLen[levelIndex] - 1};
}

int TruncToInt(double x) {
  if (!(x > -2147483648.0)) return x != x ? 0 : INT32_MIN;
  if (x >= 2147483647.0) return INT32_MAX;
  return static_cast<int>(std::trunc(x));
}

}  // namespace

VeskDictBuilder::VeskDictBuilder(CDataDict& dict, VeskValueSetBuilder& valueSets)
    : m_dict(dict), m_valueSets(valueSets) {}

// In the order of addition: a record goes before the items it was given copies of.
VeskDictBuilder::~VeskDictBuilder() {
  m_aIdRecords.clear();
  for (OwnedPtr& owned : m_owned) owned.reset();
}

const CDictRecord* VeskDictBuilder::RecordOf(const Sec* sec) const {
  auto found = m_records.find(sec);
  return found == m_records.end() ? nullptr : found->second;
}

void VeskDictBuilder::MakeDictHeader(Dic& dic) {
  m_dict.SetLabel(LabelOrName(dic.labels, 30, dic.dicName));
  m_dict.SetName(dic.dicName);
  m_dict.SetRecTypeStart(dic.recTypeLen == 0 ? 0 : dic.recTypeStart);
  m_dict.SetRecTypeLen(dic.recTypeLen);
  m_dict.SetPosRelative(false);
  m_dict.SetZeroFill(false);
  m_dict.SetDecChar(false);
}

int VeskDictBuilder::SymbolOf(Var* var) {
  m_aSymbols.push_back(var);
  return static_cast<int>(m_aSymbols.size());
}

Var* VeskDictBuilder::VarOfSymbol(int symbol) const {
  return symbol >= 1 && symbol <= static_cast<int>(m_aSymbols.size()) ? m_aSymbols[symbol - 1] : nullptr;
}

void VeskDictBuilder::PrepareIdItems(Dic& dic) {
  if (!dic.secs || dic.secs->count == 0) return;
  for (int i = 0; i < dic.GetNumLevels(); ++i) m_aIdRecords.push_back(Own(new CDictRecord));

  for (uint16_t s = 0; s < dic.secs->count; ++s) {
    Sec* sec = dic.GetSec(static_cast<int>(s));
    if (!sec->vars || sec->vars->count == 0) continue;
    CDictRecord* idRec = m_aIdRecords[sec->level - 1];
    for (uint16_t v = 0; v < sec->vars->count; ++v) {
      Var* var = static_cast<Var*>((*sec->vars)[v]);
      if (!OverlapsLevelId(dic, var)) continue;
      m_idVars.insert(var);
      CDictItem* item = MakeItemFromVar(var, var->start, nullptr);
      m_valueSets.MakeValueSet(*item, var, var->labels);
      idRec->AddItem(std::move(*item));
    }
  }

  // The columns of each span that no identification variable covers become items; the
  // part counter runs on across the levels.
  int part = 0;
  for (int i = 0; i < dic.GetNumLevels(); ++i) {
    const IdSpan span = LevelIdSpan(dic, i);
    const int len = span.last - span.first + 1;
    CDictRecord* idRec = m_aIdRecords[i];
    if (len <= 0) continue;  // a level without identification columns needs no item
    if (idRec->GetNumItems() == 0) {
      MakeIdItem(idRec, i, 0, span.first, len);
      continue;
    }
    std::vector<bool> covered(static_cast<size_t>(len), false);
    for (int k = 0; k < idRec->GetNumItems(); ++k) {
      const CDictItem* item = idRec->GetItem(k);
      const long itemFirst = item->GetStart();
      const long itemLast = itemFirst + static_cast<long>(item->GetLen()) - 1;
      for (long col = std::max<long>(itemFirst, span.first); col <= std::min<long>(itemLast, span.last); ++col)
        covered[static_cast<size_t>(col - span.first)] = true;
    }
    for (int k = 0; k < len;) {
      if (covered[static_cast<size_t>(k)]) {
        ++k;
        continue;
      }
      const int runStart = k;
      while (k < len && !covered[static_cast<size_t>(k)]) ++k;
      MakeIdItem(idRec, i, ++part, span.first + runStart, k - runStart);
    }
  }
}

bool VeskDictBuilder::OverlapsLevelId(Dic& dic, Var* var) const {
  if (!var->sec || var->sec->level < 1 || var->sec->level > dic.GetNumLevels()) return false;
  const IdSpan span = LevelIdSpan(dic, var->sec->level - 1);
  if (span.last < span.first) return false;  // an empty span has no column to share
  const int start = var->start;
  return (span.first <= start && start <= span.last) || (start < span.first && start + var->len - 1 >= span.first);
}

void VeskDictBuilder::MakeIdItem(CDictRecord* idRec, int levelIndex, int part, int start, int len) {
  const int n = levelIndex + 1;
  CString name, label;
  if (part == 0) {
    name.Format("LEVEL%dID", n);
    label.Format("Level%d Identification", n);
  } else {
    name.Format("LEVEL%dID_%d", n, part);
    label.Format("Level%d Identification Part %d", n, part);
  }
  VarObject* var = Own(new VarObject(name, start, len));
  idRec->AddItem(std::move(*MakeItemFromVar(var, start, &label)));
}

CDictItem* VeskDictBuilder::MakeItemFromVar(Var* var, int start, CString* label) {
  CDictItem* item = Own(new CDictItem);
  item->SetSymbol(SymbolOf(var));
  CString text;
  if (label) {
    text = *label;
    text.TrimRight();
  } else {
    text = LabelOrName(var->labels, 60, CString());
  }
  item->SetLabel(text.IsEmpty() ? VarName(var) : text);
  item->SetName(VarName(var));
  const bool numeric = var->varType == 'N';
  item->SetDataType(numeric ? NumericType : AlphaType);
  item->SetItemType(Item);
  item->SetStart(start);
  item->SetLen(var->len);
  item->SetOccurs(1);
  item->SetDecimal(var->decimals);
  item->SetDecChar(numeric && var->decimals > 0);
  item->SetZeroFill(var->zeroFill != 0);
  return item;
}

CDictLevel* VeskDictBuilder::MakeLevel(int& levelNo, Sec* sec) {
  if (levelNo == sec->level) return nullptr;
  CDictLevel* level = Own(new CDictLevel);
  CString text;
  text.Format("LEVEL_%d", sec->level);
  level->SetName(text);
  text.Format("LEVEL%d", sec->level);
  level->SetLabel(text);
  level->SetIdItemsRec(m_aIdRecords[sec->level - 1]);
  levelNo = sec->level;
  return level;
}

void VeskDictBuilder::MakeRecords(Dic& dic, CProgressDlg* progress) {
  if (!dic.secs || dic.secs->count == 0) return;
  int levelNo = 0;
  CDictLevel* current = nullptr;
  for (uint16_t s = 0; s < dic.secs->count; ++s) {
    Sec* sec = dic.GetSec(static_cast<int>(s));
    const CString label = LabelOrName(sec->labels, 30, sec->name);
    // A level is added once all its records are in it: the dictionary stores a copy.
    if (CDictLevel* made = MakeLevel(levelNo, sec)) {
      if (current) AddLevelToDict(current);
      current = made;
    }
    CString code = sec->code;
    code.TrimRight();
    const int len = sec->CalcSecLen();

    CDictRecord* rec = Own(new CDictRecord);
    rec->SetLabel(label);
    rec->SetName(sec->name);
    rec->SetRecTypeVal(code);
    rec->SetRequired(sec->occ && sec->occ->lo >= 1.0);
    rec->SetMaxRecs(sec->occ ? TruncToInt(sec->occ->hi) : 1);
    rec->SetRecLen(len < 0 ? 0 : len);
    MakeItems(rec, sec, progress);
    m_records[sec] = rec;
    if (current) {
      current->AddRecord(rec);
      rec->SetLevel(current);
      rec->SetDataDict(&m_dict);
    }
  }
  AddLevelToDict(current);
}

// The dictionary stores a copy of the level; the level's own copies of the records are
// not read again (the sections keep the records themselves), so they go at once.
void VeskDictBuilder::AddLevelToDict(CDictLevel* level) {
  m_dict.AddLevel(level);
  for (int r = level->GetNumRecords() - 1; r >= 0; --r) level->RemoveRecordAt(r);
}

void VeskDictBuilder::MakeItems(CDictRecord* rec, Sec* sec, CProgressDlg* progress) {
  if (!sec->vars) return;
  CDictItem* groupItem = nullptr;
  for (uint16_t v = 0; v < sec->vars->count; ++v) {
    Var* var = static_cast<Var*>((*sec->vars)[v]);
    if (m_idVars.count(var)) continue;  // already an identification item
    const bool member = sec->grp && sec->grp->vars && sec->grp->vars->count > 0 && var->varKind == 'M';
    if (member) sec->grp->GLen();
    CDictItem* item = MakeItemFromVar(var, var->start, nullptr);
    if (member) {
      item->SetItemType(SubItem);
      if (!groupItem) {
        groupItem = Own(new CDictItem);
        groupItem->SetSymbol(item->GetSymbol());
        groupItem->SetName(sec->name + "_GROUP");
        groupItem->SetLabel("Item created from VESK Group");
        groupItem->SetDataType(AlphaType);
        groupItem->SetItemType(Item);
        groupItem->SetStart(sec->grp->start);
        groupItem->SetLen(sec->grp->len);
        groupItem->SetOccurs(sec->grp->nOcc);
        rec->AddItem(groupItem);
        groupItem->SetRecord(rec);
      }
    } else {
      groupItem = nullptr;  // a member after this starts a new group item
    }
    m_valueSets.MakeValueSet(*item, var, var->labels);
    rec->AddItem(std::move(*item));  // the made item is not read again
    if (progress) progress->StepIt();
  }
}
