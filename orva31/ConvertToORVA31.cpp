// Conversion kind 2: a Travo dictionary into an ORVA 3.1 dictionary (.dd). The file is
// written through a temporary file in the target's folder that replaces the target only
// when it is complete, so a failed conversion leaves whatever was there before.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "libs/dict/DataDict.h"
#include "libs/util/Numbers.h"
#include "libs/util/ProgressDlg.h"
#include "orva31/ConvertSupport.h"
#include "orva31/DdAccess.h"
#include "orva31/Orva31Convert.h"
#include "orva31/Orva31Messages.h"

namespace orva31 {

namespace {

constexpr int kOrvaNameLength = 16;
constexpr int kTextField = 15;  // record type and value fields
constexpr int kNoRecordTypeLength = 16;

// The header's 8-character date: MM/DD/YYYY becomes MM/DD/YY.
std::string HeaderDate(const std::string& date) {
  std::string text = date;
  if (text.size() == 10) text = text.substr(0, 6) + text.substr(8);
  else if (text.size() == 9) text = text.substr(0, 5) + text.substr(7);
  text.resize(std::max<size_t>(text.size(), 8), ' ');
  return text.substr(0, 8);
}

// The header's 8-character time, with a leading zero on a one-digit hour.
std::string HeaderTime(const std::string& time) {
  std::string text = time.size() > 1 && time[1] == ':' ? "0" + time : time;
  return text.substr(0, 8);
}

CVornString ToOem(const CVornString& text) {
  CVornString oem = text;
  oem.CharToOemA();
  return oem;
}

// Copies at most max bytes of text to the start of field (no terminator added).
void PlaceText(char* field, const std::string& text, size_t max) {
  std::memcpy(field, text.data(), std::min(text.size(), max));
}

// A field of size blanks ended by a NUL.
void BlankField(char* field, int size) {
  std::memset(field, ' ', size);
  field[size] = '\0';
}

// A record or item name for ORVA 3.1: '-' for '_', in the OEM code page, at most 16
// bytes (message 270 when cut, without a '-' left at the cut end), in a 17-byte name
// field. Returns the name as written, in the host code page, for messages.
CVornString OrvaName(IReporter& reporter, const CVornString& travoName, char* field) {
  CVornString name = travoName;
  name.Replace('_', '-');
  CVornString oem = ToOem(name);
  if (oem.GetLength() > kOrvaNameLength) {
    reporter.Report(NameTruncated(travoName));
    oem = oem.Left(kOrvaNameLength);
    while (!oem.IsEmpty() && oem.back() == '-') oem.pop_back();
  }
  BlankField(field, kOrvaNameLength);
  PlaceText(field, oem, kOrvaNameLength);
  CVornString shown = oem;
  shown.OemToCharA();
  return shown;
}

// The record type field: 15 blanks with a NUL after the first typeLength characters,
// the value at its start.
void RecordTypeField(const CVornString& value, int typeLength, char* field) {
  BlankField(field, kTextField);
  const int length = std::min(typeLength, kTextField);
  field[length] = '\0';
  PlaceText(field, ToOem(value), length);
}

// One side of a value pair as ORVA stores it: numbers right-aligned in the item's width
// with implied decimals, other texts as they are.
void PairText(const CDictItem& item, bool asNumber, const CVornString& text, char* field) {
  BlankField(field, kTextField);
  if (asNumber) {
    char buffer[64];
    dtoc(atod(text.c_str(), 0), buffer, item.GetLen(), item.GetDecimal(), ' ', 1);
    PlaceText(field, buffer, kTextField);
  } else {
    PlaceText(field, ToOem(text), kTextField);
  }
}

// The image a conversion fills, the reporter of its messages and where it stands.
struct Target {
  DdWriter& writer;
  IReporter& reporter;
  OrvaCursor cursor;
};

// Adds the values of the item's only value set to the image; 0 after a message.
int AddValues(Target& to, const CDictItem& item) {
  const CDictVSet* vset = item.GetVSet(0);
  for (int v = 0; v < vset->GetNumValues(); ++v) {
    const CDictValue* value = vset->GetValue(v);
    DdValueNameInfo name = {};
    BlankField(name.name, kOrvaNameLength);
    PlaceText(name.name, ToOem(value->GetLabel()), kOrvaNameLength);
    if (to.writer.AddValueName(to.cursor.record, to.cursor.item, &name) < 0) {
      to.reporter.Report(TooManyValueNames());
      return 0;
    }
    const bool asNumber = item.GetDataType() == NumericType && !value->IsSpecial();
    for (int k = 0; k < value->GetNumVPairs(); ++k) {
      const CDictVPair* pair = value->GetVPair(k);
      DdValuePair stored = {};
      PairText(item, asNumber, pair->GetFrom(), stored.from);
      if (pair->GetTo().IsEmpty())
        std::memcpy(stored.to, stored.from, sizeof stored.to);  // a single value: to = from
      else
        PairText(item, asNumber, pair->GetTo(), stored.to);
      if (to.writer.AddValue(to.cursor.record, to.cursor.item, v, &stored) < 0) {
        to.reporter.Report(TooManyValues());
        return 0;
      }
    }
  }
  return 1;
}

// Adds one item, with its values, to the record at the cursor; 0 after a message.
int AddItem(Target& to, const CDictItem& item) {
  DdItemInfo info = {};
  const CVornString orvaName = OrvaName(to.reporter, item.GetName(), info.name);
  info.start = item.GetStart() - 1;
  if (item.GetDataType() == NumericType && item.GetLen() > kTextField) {
    to.reporter.Report(NumericTooLong(item.GetName()));
    return 0;
  }
  if (item.GetDecChar()) {
    to.reporter.Report(DecimalCharacter(item.GetName()));
    return 0;
  }
  info.length = item.GetLen();
  info.dataType = item.GetDataType() == NumericType ? 0 : 1;
  info.decimals = item.GetDecimal();
  info.occurrences = item.GetOccurs();
  info.itemType = item.GetItemType() == Item ? 0 : 1;
  if (to.writer.AddItem(to.cursor.record, &info) < 0) {
    to.reporter.Report(ItemNotAdded(item.GetName()));
    return 0;
  }
  if (item.GetNumVSets() == 1) {
    if (item.GetLen() > kTextField) {
      to.reporter.Report(ValuesNotSaved(orvaName));
    } else if (!AddValues(to, item)) {
      return 0;
    }
  }
  ++to.cursor.item;
  return 1;
}

// ORVA 3.1 has one value set an item: every further set becomes a subitem at the item's
// position that carries it. The copies stay in the in-memory dictionary only.
void SplitValueSets(CDataDict* dict, const CDDRuleMgr& rules, int level, int record, CDictRecord* source) {
  for (int i = 0; i < source->GetNumItems();) {
    CDictItem* item = source->GetItem(i);
    int inserted = 0;
    while (item->GetNumVSets() > 1) {
      const CDictVSet* second = item->GetVSet(1);
      CDictItem copy(*item);
      copy.SetItemType(SubItem);
      copy.SetLabel(second->GetLabel());
      CVornString name = second->GetLabel();
      name.MakeName();
      copy.SetName(name);
      copy.RemoveAllVSets();
      copy.AddVSet(second);
      item->RemoveVSetAt(1);
      if (!rules.IsNameUnique(copy.GetName(), -1, -1, -1, -1))
        copy.SetName(rules.GetUniqueName(copy.GetName(), -1, -1, -1, -1));
      if (item->GetItemType() == Item && item->GetOccurs() > 1) copy.SetOccurs(1);
      source->InsertItemAt(i + ++inserted, &copy);
      dict->UpdateNameList(level, record < 0 ? -1 : record);
      item = source->GetItem(i);
    }
    i += 1 + inserted;
  }
}

}  // namespace

ConversionResult ConvertFromTravo(const ConversionRequest& request, FormatContext& context, OrvaCursor cursor) {
  CProgressDlg progress(context.reporter);
  OpenProgress(progress, 100, context.showProgress);

  CDataDict dict;
  if (!dict.Open(request.input.path)) {
    // Nothing is written from a dictionary that could not be read whole.
    context.reporter.Report(TravoUnreadable(request.input.shown, dict.GetLastError()));
    return {};
  }
  if (dict.GetNumLevels() > 1) context.reporter.Report(MoreThanOneLevel());
  progress.SetRange(0, dict.GetNumRecs() + 1);
  const std::string date = HeaderDate(CVornString::Date());
  const std::string time = HeaderTime(CVornString::Time());

  const std::string target = OutputFileFor(request.output);
  DdWriter writer;  // a file it did not complete is discarded with it
  if (writer.CreateFile(target) < 0) {
    context.reporter.Report(OutputNotCreated(request.output, errno));
    return {};
  }

  writer.New();
  if (dict.GetRecTypeLen() <= 0)  // a negative length (a damaged .dcf) means none too
    writer.SetRecordType(-1, -1);
  else
    writer.SetRecordType(dict.GetRecTypeStart() - 1, dict.GetRecTypeLen());

  cursor.item = 0;
  cursor.record = -1;
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    if (!ConvertTravoRecord(writer, context, cursor, dict, l, -2)) return {};
  }
  cursor.record = 0;
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    for (int r = 0; r < dict.GetLevel(l)->GetNumRecords(); ++r) {
      progress.StepIt();
      cursor.item = 0;
      if (!ConvertTravoRecord(writer, context, cursor, dict, l, r) || progress.CheckCancelButton()) return {};
      ++cursor.record;
    }
  }

  if (writer.Write(date.c_str(), time.c_str()) < 0) {
    context.reporter.Report(NotSaved(writer.WriteError()));
    return {};
  }
  const ConversionResult result = DictionaryWritten(target, dict);
  progress.DestroyWindow();
  return result;
}

int ConvertTravoRecord(DdWriter& writer, FormatContext& context, OrvaCursor cursor, CDataDict& dict, int level,
                       int record) {
  Target to{writer, context.reporter, cursor};
  CDDRuleMgr rules;
  rules.SetCurrDict(&dict);
  const int typeLength = dict.GetRecTypeLen() <= 0 ? kNoRecordTypeLength : dict.GetRecTypeLen();
  CDictLevel* travoLevel = dict.GetLevel(level);
  CDictRecord* source = record == -2 ? travoLevel->GetIdItemsRec() : travoLevel->GetRecord(record);

  if (record != -2) {
    DdRecordInfo info = {};
    OrvaName(to.reporter, source->GetName(), info.name);
    RecordTypeField(source->GetRecTypeVal(), typeLength, info.recTypeValue);
    info.required = source->GetRequired() ? 1 : 0;
    info.maxOccurrences = source->GetMaxRecs();
    if (writer.AddRecord(&info) < 0) {
      to.reporter.Report(RecordNotAdded(source->GetName()));
      return 0;
    }
  }

  SplitValueSets(&dict, rules, level, record, source);
  rules.IsValid(&dict, true, true, false);  // only refreshes the rule manager's view
  for (int i = 0; i < source->GetNumItems(); ++i) {
    if (!AddItem(to, *source->GetItem(i))) return 0;
  }
  return 1;
}

}  // namespace orva31
