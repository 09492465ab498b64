#pragma once
// The vocabulary of the .dcf file shared by its writer and reader: section headers, keys,
// words, and the written form of a Value line. Internal to the dictionary library.
#include <string>
#include <string_view>

#include "libs/dict/DataDict.h"

namespace dcf {

inline constexpr const char* kDictionarySection = "[Dictionary]";
inline constexpr const char* kLevelSection = "[Level]";
inline constexpr const char* kIdItemsSection = "[IdItems]";
inline constexpr const char* kRecordSection = "[Record]";
inline constexpr const char* kItemSection = "[Item]";
inline constexpr const char* kValueSetSection = "[ValueSet]";

inline constexpr const char* kVersion = "Version";
inline constexpr const char* kVersionText = "Travo 4.0";
inline constexpr const char* kName = "Name";
inline constexpr const char* kLabel = "Label";
inline constexpr const char* kNote = "Note";
inline constexpr const char* kRecordTypeStart = "RecordTypeStart";
inline constexpr const char* kRecordTypeLen = "RecordTypeLen";
inline constexpr const char* kRelativePositions = "RelativePositions";
inline constexpr const char* kZeroFill = "ZeroFill";
inline constexpr const char* kDecimalChar = "DecimalChar";
inline constexpr const char* kRecordTypeValue = "RecordTypeValue";
inline constexpr const char* kRequired = "Required";
inline constexpr const char* kMaxRecords = "MaxRecords";
inline constexpr const char* kRecordLen = "RecordLen";
inline constexpr const char* kStart = "Start";
inline constexpr const char* kLen = "Len";
inline constexpr const char* kOccurrences = "Occurrences";
inline constexpr const char* kDecimal = "Decimal";
inline constexpr const char* kDataType = "DataType";
inline constexpr const char* kItemType = "ItemType";
inline constexpr const char* kValue = "Value";
inline constexpr const char* kValueName = "ValueName";
inline constexpr const char* kValueNote = "ValueNote";
inline constexpr const char* kValueType = "ValueType";
inline constexpr const char* kValueSpecial = "ValueSpecial";

inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";

inline const char* DataTypeWord(DATA_TYPE t) { return t == AlphaType ? "Alpha" : "Numeric"; }
inline const char* ItemTypeWord(ITEM_TYPE t) { return t == SubItem ? "Subitem" : "Item"; }
inline const char* ValueTypeWord(VALUE_TYPE t) {
  switch (t) {
    case MissingType: return "Missing";
    case NotAppType: return "NotAppl";
    case DefaultType: return "Default";
    default: return "None";
  }
}

// Appends what follows "Value=": the pairs, separated by ',', each "from" when its to
// text is empty and from is not, else "from:to"; then ';' and the label.
void AppendValueText(std::string& out, const CDictValue& value);

}  // namespace dcf
