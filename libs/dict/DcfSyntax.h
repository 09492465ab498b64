#pragma once
// The vocabulary of the .dcf file shared by its writer and reader: section headers, keys,
// words, and the written form of a Value line. Internal to the dictionary library.
#include <string>
#include <string_view>

#include "libs/dict/DataDict.h"
#include "libs/dict/DcfText.h"

namespace dcf {

inline constexpr std::string_view kDictionarySection = "[Dictionary]";
inline constexpr std::string_view kLevelSection = "[Level]";
inline constexpr std::string_view kIdItemsSection = "[IdItems]";
inline constexpr std::string_view kRecordSection = "[Record]";
inline constexpr std::string_view kItemSection = "[Item]";
inline constexpr std::string_view kValueSetSection = "[ValueSet]";

inline constexpr std::string_view kVersion = "Version";
inline constexpr std::string_view kVersionText = "Travo 4.0";
inline constexpr std::string_view kName = "Name";
inline constexpr std::string_view kLabel = "Label";
inline constexpr std::string_view kNote = "Note";
inline constexpr std::string_view kRecordTypeStart = "RecordTypeStart";
inline constexpr std::string_view kRecordTypeLen = "RecordTypeLen";
inline constexpr std::string_view kRelativePositions = "RelativePositions";
inline constexpr std::string_view kZeroFill = "ZeroFill";
inline constexpr std::string_view kDecimalChar = "DecimalChar";
inline constexpr std::string_view kRecordTypeValue = "RecordTypeValue";
inline constexpr std::string_view kRequired = "Required";
inline constexpr std::string_view kMaxRecords = "MaxRecords";
inline constexpr std::string_view kRecordLen = "RecordLen";
inline constexpr std::string_view kStart = "Start";
inline constexpr std::string_view kLen = "Len";
inline constexpr std::string_view kOccurrences = "Occurrences";
inline constexpr std::string_view kDecimal = "Decimal";
inline constexpr std::string_view kDataType = "DataType";
inline constexpr std::string_view kItemType = "ItemType";
inline constexpr std::string_view kValue = "Value";
inline constexpr std::string_view kValueName = "ValueName";
inline constexpr std::string_view kValueNote = "ValueNote";
inline constexpr std::string_view kValueType = "ValueType";
inline constexpr std::string_view kValueSpecial = "ValueSpecial";

inline constexpr std::string_view kYes = "Yes";
inline constexpr std::string_view kNo = "No";

// The words of the enums, indexed by their values.
inline constexpr std::string_view kDataTypeWords[] = {"Numeric", "Alpha"};
inline constexpr std::string_view kItemTypeWords[] = {"Item", "Subitem"};
inline constexpr std::string_view kValueTypeWords[] = {"None", "Missing", "NotAppl", "Default"};

// Appends what follows "Value=": the pairs, separated by ',', each "from" when its to
// text is empty and from is not, else "from:to"; then ';' and the label.
template <typename Text>
void AppendValueText(Text& out, const CDictValue& value);
extern template void AppendValueText(std::string&, const CDictValue&);
extern template void AppendValueText(FileText&, const CDictValue&);

// Writes the dictionary's text to path through WriteFileAtomically.
bool SaveDcf(const CDataDict& dict, const std::string& path, std::string* error);

}  // namespace dcf
