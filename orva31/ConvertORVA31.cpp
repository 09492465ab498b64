// Conversion kind 0: an ORVA 3.1 dictionary (.dd) into a one-level Travo dictionary.
#include <algorithm>

#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"
#include "libs/util/Numbers.h"
#include "libs/util/ProgressDlg.h"
#include "orva31/ConvertSupport.h"
#include "orva31/DdAccess.h"
#include "orva31/DdFormat.h"

using orva31::ResText;
using orva31::ShowString;

namespace {

enum : int {
  IDS_NAME_TOO_LONG = 201,
  IDS_IO_ERROR = 202,  // 202 to 206 follow the access layer's codes -1 to -5
  IDS_VALIDATING = 209,
  IDS_SAVING = 210,
  IDS_CONVERTED = 211,
  IDS_NOT_CONVERTED = 212,
  IDS_RECORD_IO_ERROR = 213,
  IDS_RECORD_NOT_FOUND = 214,
  IDS_ITEM_IO_ERROR = 215,
  IDS_ITEM_NOT_FOUND = 216,
  IDS_OVERLAPS = 217,
  IDS_LEVEL_LABEL = 218,
  IDS_LEVEL_NAME = 219,
  IDS_SUBITEMS_PROMOTED = 273,
};

// Inputs whose base name is this long are refused before the file is looked at.
constexpr int kMaxInputBaseLength = 200;

// A stored name as Travo wants it: host code page, no trailing blanks, '_' for '-'.
CVornString ConvertedName(const char* stored) {
  CVornString name(stored);
  name.OemToCharA();
  name.TrimRight();
  name.Replace('-', '_');
  return name;
}

// The ORVA file stays open (and share-locked) only while a conversion reads it.
struct OpenDdFile {
  ~OpenDdFile() { DdClose(); }
};

// Shows the message for a failed read of an item or below and returns 0.
int ItemReadFailure(CVornString& message, int rc, int record, int item, unsigned style) {
  message.Format(ResText(rc == DD_IO_ERROR ? IDS_ITEM_IO_ERROR : IDS_ITEM_NOT_FOUND), record, item);
  message.MessageBoxA(style);
  return 0;
}

void ApplySpecialLabel(CDictValue& value) {
  if (value.GetLabel() == "NR") {
    value.SetName("MISSING");
    value.SetSpecial(true);
    value.SetValueType(MissingType);
  } else if (value.GetLabel() == "NA") {
    value.SetName("NOTAPPL");
    value.SetSpecial(true);
    value.SetValueType(NotAppType);
  }
}

// A numeric value text with implied decimals rewritten with an explicit decimal character.
CVornString ExplicitDecimals(const char* stored, int decimals, char decimalChar) {
  char buffer[64];
  return CVornString(dtoa(atod(stored, decimals), buffer, decimals, decimalChar, 0));
}

// Reads the value names and pairs of one item into vset; 0 after a message.
int ReadValueSet(CConvertApp& app, int record, int item, const DdItemInfo& info, CDictVSet& vset,
                 dd::ClaimBudget& budget) {
  if (!budget.ClaimValueNames(info.numValueNames))
    return ItemReadFailure(app.m_sMessage, DD_IO_ERROR, record, item, 0);
  for (int v = 0; v < info.numValueNames; ++v) {
    DdValueNameInfo name;
    if (int rc = DdGetValueName(record, item, v, &name); rc < 0)
      return ItemReadFailure(app.m_sMessage, rc, record, item, 0);
    if (!budget.ClaimValueBytes(2ull * info.length * name.numPairs))
      return ItemReadFailure(app.m_sMessage, DD_IO_ERROR, record, item, 0);
    CDictValue value;
    value.SetLabel(ConvertedName(name.name));
    ApplySpecialLabel(value);
    for (int k = 0; k < name.numPairs; ++k) {
      DdValuePair stored;
      if (int rc = DdGetValue(record, item, v, k, &stored); rc < 0)
        return ItemReadFailure(app.m_sMessage, rc, record, item, 0);
      CDictVPair pair(stored.from, stored.to);
      // A single blank value stands for "not applicable".
      if (!value.IsSpecial() && name.numPairs == 1 && pair.GetFrom().IsBlank()) {
        value.SetName("NOTAPPL");
        value.SetSpecial(true);
        value.SetValueType(NotAppType);
      }
      if (info.dataType == 0 && !value.IsSpecial()) {
        pair.SetFrom(ExplicitDecimals(stored.from, info.decimals, app.GetDecimalChar()));
        pair.SetTo(ExplicitDecimals(stored.to, info.decimals, app.GetDecimalChar()));
      }
      value.AddVPair(&pair);
    }
    vset.AddValue(&value);
  }
  return 1;
}

// The last position a record's items reach (1-based), 0 for a record without items.
int RecordLength(const CDictRecord& record) {
  if (record.GetNumItems() == 0) return 0;
  int end = 1;
  for (int i = 0; i < record.GetNumItems(); ++i) {
    const CDictItem* item = record.GetItem(i);
    end = std::max(end, item->GetStart() + item->GetLen() * item->GetOccurs());
  }
  return end - 1;
}

int ItemEnd(const CDictItem& item) { return item.GetStart() + item.GetLen() * item.GetOccurs(); }

}  // namespace

bool CConvertApp::ReadORVA31Dict(const CVornString& input, CDataDict& dict, CProgressDlg& progress) {
  // Paths keep their letter case here: upper case only for the dictionary's label.
  const std::string base = orva31::WithoutExtension(input);
  CVornString label = orva31::FileNamePart(base);
  label.MakeUpper();
  if (static_cast<int>(base.size()) >= kMaxInputBaseLength) {
    m_sMessage.Format(ResText(IDS_NAME_TOO_LONG), base.c_str());
    m_sMessage.MessageBoxA(0);
    return false;
  }

  OpenDdFile inputFile;
  DdFileInfo info;
  if (int rc = DdOpen(base, &info); rc < 0) {
    ShowString(m_sMessage, IDS_IO_ERROR - 1 - rc);
    return false;
  }

  orva31::OpenProgress(progress, info.numRecords + 2);

  dict.SetLabel(label);
  CVornString name = label;
  name.MakeName();
  dict.SetName(name);
  dict.SetNote("");
  dict.SetRecTypeStart(info.recTypeStart + 1);
  dict.SetRecTypeLen(info.recTypeLen == -1 ? 0 : info.recTypeLen);
  dict.SetPosRelative(false);
  dict.SetZeroFill(true);
  dict.SetDecChar(false);
  CDictLevel newLevel;
  newLevel.SetLabel(ResText(IDS_LEVEL_LABEL));
  newLevel.SetName(ResText(IDS_LEVEL_NAME));
  dict.AddLevel(&newLevel);
  CDictLevel* level = dict.GetLevel(0);

  dd::ClaimBudget budget(info.numItems, info.numValueNames, info.valueAreaSize);
  if (!ConvertORVA31Record(-1, level->GetIdItemsRec(), budget)) return false;
  progress.StepIt();
  if (progress.CheckCancelButton()) return false;

  const int typeLength = dict.GetRecTypeLen();
  for (int r = 0; r < info.numRecords; ++r) {
    CDictRecord record;
    if (!ConvertORVA31Record(r, &record, budget)) return false;
    record.SetRecTypeVal(typeLength == 0 ? CVornString() : record.GetRecTypeVal().Left(typeLength));
    level->AddRecord(&record);
    progress.StepIt();
    if (progress.CheckCancelButton()) return false;
  }
  DdClose();

  RemoveCommonOverlaps(&dict);
  dict.BuildNameList();
  progress.SetStatus(IDS_VALIDATING);
  CDDRuleMgr rules;
  rules.SetCurrDict(&dict);
  rules.IsValid(&dict, false, true, false);  // reports nothing here; the dictionary is saved as read
  return !progress.CheckCancelButton();
}

bool CConvertApp::ConvertORVA31Dict(const CVornString& input, const CVornString& output) {
  CDataDict dict;
  CProgressDlg progress;
  if (!ReadORVA31Dict(input, dict, progress)) return false;

  progress.SetStatus(IDS_SAVING);
  // The last step: the id items, each record and the validation came before.
  progress.SetPos(dict.GetLevel(0)->GetNumRecords() + 2);
  const bool saved = dict.Save(output);
  m_sMessage.LoadString(saved ? IDS_CONVERTED : IDS_NOT_CONVERTED);
  if (saved)
    MarkDictionaryWritten(output, dict);
  else if (!dict.GetLastError().empty())
    m_sMessage += "\n\n" + dict.GetLastError();
  progress.DestroyWindow();
  m_sMessage.MessageBoxA(0);
  return true;
}

int CConvertApp::ConvertORVA31Record(int record, CDictRecord* target, dd::ClaimBudget& budget) {
  DdRecordInfo info;
  int rc = DdGetRecord(record, &info);
  if (rc >= 0 && !budget.ClaimItems(info.numItems)) rc = DD_IO_ERROR;
  if (rc < 0) {
    m_sMessage.Format(ResText(rc == DD_IO_ERROR ? IDS_RECORD_IO_ERROR : IDS_RECORD_NOT_FOUND), record);
    m_sMessage.MessageBoxA(0);
    return 0;
  }
  const CVornString recordName = ConvertedName(info.name);
  target->SetLabel(recordName);
  target->SetName(recordName);
  target->SetRecTypeVal(info.recTypeValue);
  target->SetRequired(info.required != 0);
  target->SetMaxRecs(info.maxOccurrences);

  bool promoting = false;  // inside a run of COMMON subitems turned into items
  for (int i = 0; i < info.numItems; ++i) {
    DdItemInfo stored;
    if (int rc = DdGetItem(record, i, &stored); rc < 0)
      return ItemReadFailure(m_sMessage, rc, record, i, MB_ICONEXCLAMATION);
    const CVornString itemName = ConvertedName(stored.name);
    CDictItem item;
    item.SetName(itemName);
    item.SetLabel(itemName);
    item.SetStart(stored.start + 1);
    item.SetLen(stored.length);
    item.SetDataType(stored.dataType == 0 ? NumericType : AlphaType);
    // Travo's id items have no subitems: a run of COMMON subitems replaces its parent.
    if (record == -1 && stored.itemType == 1) {
      if (!promoting) {
        if (target->GetNumItems() > 0) target->RemoveItemAt(target->GetNumItems() - 1);
        ShowString(m_sMessage, IDS_SUBITEMS_PROMOTED);
      }
      promoting = true;
      item.SetItemType(Item);
    } else {
      promoting = false;
      item.SetItemType(stored.itemType == 0 ? Item : SubItem);
    }
    item.SetOccurs(stored.occurrences);
    item.SetDecimal(stored.decimals);
    item.SetDecChar(false);
    item.SetZeroFill(true);

    CDictVSet vset;
    vset.SetLabel(itemName);
    vset.SetName(itemName + "_VS1");
    if (!ReadValueSet(*this, record, i, stored, vset, budget)) return 0;
    if (vset.GetNumValues() > 0) item.AddVSet(&vset);
    target->AddItem(&item);
  }
  target->SetRecLen(RecordLength(*target));
  return 1;
}

void CConvertApp::RemoveCommonOverlaps(CDataDict* dict) {
  m_sMessage.Empty();
  int removed = 0;
  CDictLevel* level = dict->GetLevel(0);
  const CDictRecord* common = level->GetIdItemsRec();
  for (int c = 0; c < common->GetNumItems(); ++c) {
    const int commonStart = common->GetItem(c)->GetStart();
    const int commonEnd = ItemEnd(*common->GetItem(c));
    for (int r = 0; r < level->GetNumRecords(); ++r) {
      CDictRecord* record = level->GetRecord(r);
      // Items are in position order, so the walk stops past the COMMON item's end.
      int lastStart = -1;
      for (int i = 0; i < record->GetNumItems() && lastStart <= commonEnd;) {
        const CDictItem* item = record->GetItem(i);
        lastStart = item->GetStart();
        if (item->GetItemType() != Item || !(commonEnd > item->GetStart() && ItemEnd(*item) > commonStart)) {
          ++i;
          continue;
        }
        if (++removed % 2 == 0) m_sMessage += "\r\n";
        m_sMessage += item->GetName() + "\t\t";
        record->RemoveItemAt(i);
        while (i < record->GetNumItems() && record->GetItem(i)->GetItemType() != Item) record->RemoveItemAt(i);
      }
    }
  }
  if (!m_sMessage.IsEmpty()) {
    m_sMessage = CVornString(ResText(IDS_OVERLAPS)) + m_sMessage;
    m_sMessage.MessageBoxA(0);
  }
}
