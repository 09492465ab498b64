#include "libs/dict/DictInspect.h"

#include "libs/dict/DataDict.h"
#include "libs/dict/DictFields.h"
#include "libs/util/JsonStream.h"
#include "libs/util/TextTools.h"

namespace {

// The object's fields that the JSON shows, in the list's order.
template <typename T>
void WriteFieldsJson(const T& object, CJsonStreamWriter& w) {
  for (const DictField<T>& field : FieldsOf<T>()) {
    if (field.json.empty()) continue;
    switch (field.kind) {
      case FieldKind::Text: w.Field(field.json, field.text(object)); break;
      case FieldKind::Flag: w.Field(field.json, field.number(object) != 0); break;
      case FieldKind::Number:
      case FieldKind::Choice: w.Field(field.json, field.number(object)); break;
    }
  }
}

void WriteValueJson(const CDictValue& value, CJsonStreamWriter& w) {
  w.BeginObject();
  WriteFieldsJson(value, w);
  w.Key("pairs");
  w.BeginArray();
  for (int i = 0; i < value.GetNumVPairs(); ++i) {
    w.BeginObject();
    WriteFieldsJson(*value.GetVPair(i), w);
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
}

void WriteVSetJson(const CDictVSet& vset, CJsonStreamWriter& w) {
  w.BeginObject();
  WriteFieldsJson(vset, w);
  w.Key("values");
  w.BeginArray();
  for (int i = 0; i < vset.GetNumValues(); ++i) WriteValueJson(*vset.GetValue(i), w);
  w.EndArray();
  w.EndObject();
}

void WriteItemJson(const CDictItem& item, CJsonStreamWriter& w) {
  w.BeginObject();
  WriteFieldsJson(item, w);
  w.Key("valueSets");
  w.BeginArray();
  for (int i = 0; i < item.GetNumVSets(); ++i) WriteVSetJson(*item.GetVSet(i), w);
  w.EndArray();
  w.EndObject();
}

void WriteRecordJson(const CDictRecord& record, CJsonStreamWriter& w) {
  w.BeginObject();
  WriteFieldsJson(record, w);
  w.Key("items");
  w.BeginArray();
  for (int i = 0; i < record.GetNumItems() && w.Good(); ++i) WriteItemJson(*record.GetItem(i), w);
  w.EndArray();
  w.EndObject();
}

const char* ValueTypeName(VALUE_TYPE type) {
  switch (type) {
    case MissingType: return "missing";
    case NotAppType: return "not applicable";
    case DefaultType: return "default";
    default: return "";
  }
}

void WriteItemText(const CDictItem& item, std::ostream& out) {
  out << "      " << (item.GetItemType() == SubItem ? "Subitem " : "Item ") << VisibleText(item.GetName()) << "  \""
      << VisibleText(item.GetLabel()) << "\"  start " << item.GetStart() << ", length " << item.GetLen() << ", "
      << (item.GetDataType() == NumericType ? "numeric" : "alpha");
  if (item.GetDecimal() > 0) out << ", " << item.GetDecimal() << " decimals";
  if (item.GetDecChar()) out << ", decimal character";
  if (item.GetOccurs() != 1) out << ", occurs " << item.GetOccurs();
  out << '\n';
  for (int s = 0; s < item.GetNumVSets(); ++s) {
    const CDictVSet* vset = item.GetVSet(s);
    out << "        Value set " << VisibleText(vset->GetName()) << "  \"" << VisibleText(vset->GetLabel()) << "\"\n";
    for (int v = 0; v < vset->GetNumValues(); ++v) {
      const CDictValue* value = vset->GetValue(v);
      out << "          ";
      for (int p = 0; p < value->GetNumVPairs(); ++p) {
        const CDictVPair* pair = value->GetVPair(p);
        out << (p ? ", " : "") << '\'' << VisibleText(pair->GetFrom()) << '\'';
        if (!pair->GetTo().empty()) out << ":'" << VisibleText(pair->GetTo()) << '\'';
      }
      out << "  \"" << VisibleText(value->GetLabel()) << '"';
      if (value->IsSpecial())
        out << "  [" << VisibleText(value->GetName()) << ", " << ValueTypeName(value->GetValueType()) << ']';
      out << '\n';
    }
  }
}

void WriteRecordText(const CDictRecord& record, const char* heading, std::ostream& out) {
  out << "    " << heading << ' ' << VisibleText(record.GetName()) << "  \"" << VisibleText(record.GetLabel()) << "\"";
  if (!record.GetRecTypeVal().empty()) out << "  type '" << VisibleText(record.GetRecTypeVal()) << '\'';
  out << (record.GetRequired() ? "  required" : "  optional") << ", max " << record.GetMaxRecs()
      << ", length " << record.GetRecLen() << ", " << record.GetNumItems() << " items\n";
  for (int i = 0; i < record.GetNumItems(); ++i) WriteItemText(*record.GetItem(i), out);
}

}  // namespace

void WriteDictJson(const CDataDict& dict, CJsonStreamWriter& w) {
  w.BeginObject();
  w.Field("format", "travo-dictionary");
  WriteFieldsJson(dict, w);
  w.Key("levels");
  w.BeginArray();
  for (int l = 0; l < dict.GetNumLevels() && w.Good(); ++l) {
    const CDictLevel* level = dict.GetLevel(l);
    w.BeginObject();
    WriteFieldsJson(*level, w);
    w.Key("idItems");
    WriteRecordJson(*level->GetIdItemsRec(), w);
    w.Key("records");
    w.BeginArray();
    for (int r = 0; r < level->GetNumRecords() && w.Good(); ++r) WriteRecordJson(*level->GetRecord(r), w);
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
  w.Finish();
}

void WriteDictText(const CDataDict& dict, std::ostream& out) {
  out << "Travo dictionary " << VisibleText(dict.GetName()) << "  \"" << VisibleText(dict.GetLabel()) << "\"\n"
      << "  record type: start " << dict.GetRecTypeStart() << ", length " << dict.GetRecTypeLen() << '\n'
      << "  positions " << (dict.GetPosRelative() ? "relative" : "absolute") << ", zero fill "
      << (dict.GetZeroFill() ? "on" : "off") << ", decimal character " << (dict.GetDecChar() ? "on" : "off") << '\n';
  if (!dict.GetNote().empty()) out << "  note: " << VisibleText(dict.GetNote()) << '\n';
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    const CDictLevel* level = dict.GetLevel(l);
    out << "  Level " << VisibleText(level->GetName()) << "  \"" << VisibleText(level->GetLabel()) << "\"\n";
    WriteRecordText(*level->GetIdItemsRec(), "Id items", out);
    for (int r = 0; r < level->GetNumRecords(); ++r) WriteRecordText(*level->GetRecord(r), "Record", out);
  }
}

void DescribeDictionary(const CDataDict& dict, bool json, std::ostream& out) {
  if (json) {
    CJsonStreamWriter writer(out);
    WriteDictJson(dict, writer);
  } else {
    WriteDictText(dict, out);
  }
}
