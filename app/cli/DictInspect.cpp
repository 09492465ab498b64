#include "app/cli/DictInspect.h"

#include "libs/dict/DataDict.h"

using nlohmann::ordered_json;

namespace {

ordered_json ValueToJson(const CDictValue& value) {
  ordered_json pairs = ordered_json::array();
  for (int i = 0; i < value.GetNumVPairs(); ++i) {
    const CDictVPair* pair = value.GetVPair(i);
    pairs.push_back({{"from", pair->GetFrom()}, {"to", pair->GetTo()}});
  }
  return {{"name", value.GetName()},
          {"label", value.GetLabel()},
          {"note", value.GetNote()},
          {"valueType", static_cast<int>(value.GetValueType())},
          {"special", value.IsSpecial()},
          {"pairs", pairs}};
}

ordered_json VSetToJson(const CDictVSet& vset) {
  ordered_json values = ordered_json::array();
  for (int i = 0; i < vset.GetNumValues(); ++i) values.push_back(ValueToJson(*vset.GetValue(i)));
  return {{"name", vset.GetName()}, {"label", vset.GetLabel()}, {"note", vset.GetNote()}, {"values", values}};
}

ordered_json ItemToJson(const CDictItem& item) {
  ordered_json vsets = ordered_json::array();
  for (int i = 0; i < item.GetNumVSets(); ++i) vsets.push_back(VSetToJson(*item.GetVSet(i)));
  return {{"name", item.GetName()},
          {"label", item.GetLabel()},
          {"note", item.GetNote()},
          {"start", item.GetStart()},
          {"len", item.GetLen()},
          {"occurs", item.GetOccurs()},
          {"decimals", item.GetDecimal()},
          {"dataType", static_cast<int>(item.GetDataType())},
          {"itemType", static_cast<int>(item.GetItemType())},
          {"decChar", item.GetDecChar()},
          {"zeroFill", item.GetZeroFill()},
          {"valueSets", vsets}};
}

ordered_json RecordToJson(const CDictRecord& record) {
  ordered_json items = ordered_json::array();
  for (int i = 0; i < record.GetNumItems(); ++i) items.push_back(ItemToJson(*record.GetItem(i)));
  return {{"name", record.GetName()},
          {"label", record.GetLabel()},
          {"note", record.GetNote()},
          {"recTypeValue", record.GetRecTypeVal()},
          {"required", record.GetRequired()},
          {"maxRecs", record.GetMaxRecs()},
          {"recLen", record.GetRecLen()},
          {"items", items}};
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
  out << "      " << (item.GetItemType() == SubItem ? "Subitem " : "Item ") << item.GetName() << "  \""
      << item.GetLabel() << "\"  start " << item.GetStart() << ", length " << item.GetLen() << ", "
      << (item.GetDataType() == NumericType ? "numeric" : "alpha");
  if (item.GetDecimal() > 0) out << ", " << item.GetDecimal() << " decimals";
  if (item.GetDecChar()) out << ", decimal character";
  if (item.GetOccurs() != 1) out << ", occurs " << item.GetOccurs();
  out << '\n';
  for (int s = 0; s < item.GetNumVSets(); ++s) {
    const CDictVSet* vset = item.GetVSet(s);
    out << "        Value set " << vset->GetName() << "  \"" << vset->GetLabel() << "\"\n";
    for (int v = 0; v < vset->GetNumValues(); ++v) {
      const CDictValue* value = vset->GetValue(v);
      out << "          ";
      for (int p = 0; p < value->GetNumVPairs(); ++p) {
        const CDictVPair* pair = value->GetVPair(p);
        out << (p ? ", " : "") << '\'' << pair->GetFrom() << '\'';
        if (!pair->GetTo().empty()) out << ":'" << pair->GetTo() << '\'';
      }
      out << "  \"" << value->GetLabel() << '"';
      if (value->IsSpecial()) out << "  [" << value->GetName() << ", " << ValueTypeName(value->GetValueType()) << ']';
      out << '\n';
    }
  }
}

void WriteRecordText(const CDictRecord& record, const char* heading, std::ostream& out) {
  out << "    " << heading << ' ' << record.GetName() << "  \"" << record.GetLabel() << "\"";
  if (!record.GetRecTypeVal().empty()) out << "  type '" << record.GetRecTypeVal() << '\'';
  out << (record.GetRequired() ? "  required" : "  optional") << ", max " << record.GetMaxRecs()
      << ", length " << record.GetRecLen() << ", " << record.GetNumItems() << " items\n";
  for (int i = 0; i < record.GetNumItems(); ++i) WriteItemText(*record.GetItem(i), out);
}

}  // namespace

ordered_json DictToJson(const CDataDict& dict) {
  ordered_json levels = ordered_json::array();
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    const CDictLevel* level = dict.GetLevel(l);
    ordered_json records = ordered_json::array();
    for (int r = 0; r < level->GetNumRecords(); ++r) records.push_back(RecordToJson(*level->GetRecord(r)));
    levels.push_back({{"name", level->GetName()},
                      {"label", level->GetLabel()},
                      {"idItems", RecordToJson(*level->GetIdItemsRec())},
                      {"records", records}});
  }
  return {{"format", "travo-dictionary"},
          {"name", dict.GetName()},
          {"label", dict.GetLabel()},
          {"note", dict.GetNote()},
          {"recTypeStart", dict.GetRecTypeStart()},
          {"recTypeLen", dict.GetRecTypeLen()},
          {"posRelative", dict.GetPosRelative()},
          {"zeroFill", dict.GetZeroFill()},
          {"decChar", dict.GetDecChar()},
          {"levels", levels}};
}

void WriteDictText(const CDataDict& dict, std::ostream& out) {
  out << "Travo dictionary " << dict.GetName() << "  \"" << dict.GetLabel() << "\"\n"
      << "  record type: start " << dict.GetRecTypeStart() << ", length " << dict.GetRecTypeLen() << '\n'
      << "  positions " << (dict.GetPosRelative() ? "relative" : "absolute") << ", zero fill "
      << (dict.GetZeroFill() ? "on" : "off") << ", decimal character " << (dict.GetDecChar() ? "on" : "off") << '\n';
  if (!dict.GetNote().empty()) out << "  note: " << dict.GetNote() << '\n';
  for (int l = 0; l < dict.GetNumLevels(); ++l) {
    const CDictLevel* level = dict.GetLevel(l);
    out << "  Level " << level->GetName() << "  \"" << level->GetLabel() << "\"\n";
    WriteRecordText(*level->GetIdItemsRec(), "Id items", out);
    for (int r = 0; r < level->GetNumRecords(); ++r) WriteRecordText(*level->GetRecord(r), "Record", out);
  }
}
