// Conversion kind 0: an ORVA 3.1 dictionary (.dd) into a one-level Travo dictionary.
#include <algorithm>

#include "libs/dict/DataDict.h"
#include "libs/util/Numbers.h"
#include "libs/util/ProgressDlg.h"
#include "orva31/ConvertSupport.h"
#include "orva31/DdAccess.h"
#include "orva31/DdFormat.h"
#include "orva31/Orva31Convert.h"
#include "orva31/Orva31Messages.h"

namespace orva31 {

namespace {

enum : int {
  IDS_LEVEL_LABEL = 218,
  IDS_LEVEL_NAME = 219,
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

// Reports the failed read of an item or below and returns 0.
int ItemReadFailure(IReporter& reporter, int rc, int record, int item, unsigned style) {
  reporter.Report(ItemUnreadable(rc, record, item, style));
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
int ReadValueSet(DdReader& reader, FormatContext& context, int record, int item, const DdItemInfo& info,
                 CDictVSet& vset, dd::ClaimBudget& budget) {
  IReporter& reporter = context.reporter;
  if (!budget.ClaimValueNames(info.numValueNames)) return ItemReadFailure(reporter, DD_IO_ERROR, record, item, 0);
  for (int v = 0; v < info.numValueNames; ++v) {
    DdValueNameInfo name;
    if (int rc = reader.GetValueName(record, item, v, &name); rc < 0)
      return ItemReadFailure(reporter, rc, record, item, 0);
    if (!budget.ClaimValueBytes(2ull * info.length * name.numPairs))
      return ItemReadFailure(reporter, DD_IO_ERROR, record, item, 0);
    CDictValue value;
    value.SetLabel(ConvertedName(name.name));
    ApplySpecialLabel(value);
    for (int k = 0; k < name.numPairs; ++k) {
      DdValuePair stored;
      if (int rc = reader.GetValue(record, item, v, k, &stored); rc < 0)
        return ItemReadFailure(reporter, rc, record, item, 0);
      CDictVPair pair(stored.from, stored.to);
      // A single blank value stands for "not applicable".
      if (!value.IsSpecial() && name.numPairs == 1 && pair.GetFrom().IsBlank()) {
        value.SetName("NOTAPPL");
        value.SetSpecial(true);
        value.SetValueType(NotAppType);
      }
      if (info.dataType == 0 && !value.IsSpecial()) {
        pair.SetFrom(ExplicitDecimals(stored.from, info.decimals, context.decimalChar));
        pair.SetTo(ExplicitDecimals(stored.to, info.decimals, context.decimalChar));
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

// The dictionary of the file at input, read into dict (a fresh one) and validated, nothing
// written. progress is opened (when the context shows progress) and stepped, and Cancel
// polled; it stays open for the caller. False after the message that says why, or on Cancel.
bool ReadInto(const InputFile& input, FormatContext& context, CDataDict& dict, CProgressDlg& progress) {
  // Paths keep their letter case here: upper case only for the dictionary's label. The file
  // is read whatever its extension; the dictionary is named after the file.
  const std::string base = PathWithoutExtension(input.path);
  CVornString label = FileNamePart(base);
  label.MakeUpper();
  if (static_cast<int>(base.size()) >= kMaxInputBaseLength) {
    context.reporter.Report(NameTooLong(PathWithoutExtension(input.shown)));
    return false;
  }

  DdReader reader;
  DdFileInfo info;
  if (int rc = reader.OpenFile(input.path, &info); rc < 0) {
    context.reporter.Report(OpenFailed(rc));
    return false;
  }

  OpenProgress(progress, info.numRecords + 2, context.showProgress);

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
  if (!ConvertRecord(reader, context, -1, *level->GetIdItemsRec(), budget)) return false;
  progress.StepIt();
  if (progress.CheckCancelButton()) return false;

  const int typeLength = dict.GetRecTypeLen();
  for (int r = 0; r < info.numRecords; ++r) {
    CDictRecord record;
    if (!ConvertRecord(reader, context, r, record, budget)) return false;
    record.SetRecTypeVal(typeLength == 0 ? CVornString() : record.GetRecTypeVal().Left(typeLength));
    level->AddRecord(&record);
    progress.StepIt();
    if (progress.CheckCancelButton()) return false;
  }
  reader.Close();  // the file is released before the work on the dictionary alone

  RemoveCommonOverlaps(context, dict);
  dict.BuildNameList();
  progress.SetStatus(IDS_VALIDATING);
  CDDRuleMgr rules;
  rules.SetCurrDict(&dict);
  rules.IsValid(&dict, false, true, false);  // reports nothing here; the dictionary is saved as read
  return !progress.CheckCancelButton();
}

}  // namespace

std::unique_ptr<CDataDict> ReadDictionary(const InputFile& input, FormatContext& context) {
  auto dict = std::make_unique<CDataDict>();
  CProgressDlg progress(context.reporter);
  if (!ReadInto(input, context, *dict, progress)) return nullptr;
  return dict;
}

ConversionResult ConvertToTravo(const ConversionRequest& request, FormatContext& context) {
  CDataDict dict;
  CProgressDlg progress(context.reporter);
  if (!ReadInto(request.input, context, dict, progress)) return {};

  progress.SetStatus(IDS_SAVING);
  // The last step: the id items, each record and the validation came before.
  progress.SetPos(dict.GetLevel(0)->GetNumRecords() + 2);
  const bool saved = dict.Save(request.output);
  const ConversionResult result = saved ? DictionaryWritten(request.output, dict) : ConversionResult{};
  progress.DestroyWindow();
  context.reporter.Report(ConversionEnded(saved, dict.GetLastError()));
  return result;
}

int ConvertRecord(DdReader& reader, FormatContext& context, int record, CDictRecord& target,
                  dd::ClaimBudget& budget) {
  IReporter& reporter = context.reporter;
  DdRecordInfo info;
  int rc = reader.GetRecord(record, &info);
  if (rc >= 0 && !budget.ClaimItems(info.numItems)) rc = DD_IO_ERROR;
  if (rc < 0) {
    reporter.Report(RecordUnreadable(rc, record));
    return 0;
  }
  const CVornString recordName = ConvertedName(info.name);
  target.SetLabel(recordName);
  target.SetName(recordName);
  target.SetRecTypeVal(info.recTypeValue);
  target.SetRequired(info.required != 0);
  target.SetMaxRecs(info.maxOccurrences);

  bool promoting = false;  // inside a run of COMMON subitems turned into items
  for (int i = 0; i < info.numItems; ++i) {
    DdItemInfo stored;
    if (int rc = reader.GetItem(record, i, &stored); rc < 0)
      return ItemReadFailure(reporter, rc, record, i, MB_ICONEXCLAMATION);
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
        if (target.GetNumItems() > 0) target.RemoveItemAt(target.GetNumItems() - 1);
        reporter.Report(SubitemsPromoted());
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
    if (!ReadValueSet(reader, context, record, i, stored, vset, budget)) return 0;
    if (vset.GetNumValues() > 0) item.AddVSet(&vset);
    target.AddItem(&item);
  }
  target.SetRecLen(RecordLength(target));
  return 1;
}

void RemoveCommonOverlaps(FormatContext& context, CDataDict& dict) {
  std::string removedNames;
  int removed = 0;
  CDictLevel* level = dict.GetLevel(0);
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
        if (++removed % 2 == 0) removedNames += "\r\n";
        removedNames += item->GetName() + "\t\t";
        record->RemoveItemAt(i);
        while (i < record->GetNumItems() && record->GetItem(i)->GetItemType() != Item) record->RemoveItemAt(i);
      }
    }
  }
  if (!removedNames.empty()) context.reporter.Report(OverlapsRemoved(removedNames));
}

}  // namespace orva31
