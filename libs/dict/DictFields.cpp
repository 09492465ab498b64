// The field lists of the dictionary model. Rows reach the model's members directly, so that
// the reader moves each text it decodes into place.
#include "libs/dict/DictFields.h"

#include <type_traits>

#include "libs/dict/DcfSyntax.h"

namespace {

template <typename M>
struct MemberOf;
template <typename C, typename V>
struct MemberOf<V C::*> {
  using Class = C;
  using Value = V;
};
template <auto M>
using ClassOf = typename MemberOf<decltype(M)>::Class;
template <auto M>
using ValueOf = typename MemberOf<decltype(M)>::Value;

template <auto M>
const std::string& GetText(const ClassOf<M>& object) {
  if constexpr (std::is_same_v<ValueOf<M>, CDictRareText>)
    return (object.*M).Get();
  else
    return object.*M;
}
template <auto M>
void SetText(ClassOf<M>& object, std::string&& text) {
  if constexpr (std::is_same_v<ValueOf<M>, CDictRareText>)
    (object.*M).Set(std::move(text));
  else
    object.*M = std::move(text);
}

template <auto M>
int GetNumber(const ClassOf<M>& object) {
  return static_cast<int>(object.*M);
}
// Numbers the enums do not hold are mapped as the model's own setters map them.
template <auto M>
void SetNumber(ClassOf<M>& object, int value) {
  using V = ValueOf<M>;
  if constexpr (std::is_same_v<V, bool>)
    object.*M = value != 0;
  else if constexpr (std::is_same_v<V, DATA_TYPE>)
    object.*M = ToDataType(value);
  else if constexpr (std::is_same_v<V, ITEM_TYPE>)
    object.*M = ToItemType(value);
  else if constexpr (std::is_same_v<V, VALUE_TYPE>)
    object.*M = ToValueType(value);
  else
    object.*M = value;
}

template <auto M>
constexpr DictField<ClassOf<M>> Text(std::string_view key, std::string_view json, std::string_view compare,
                                     DcfPlace place = DcfPlace::Line) {
  return {.kind = FieldKind::Text, .key = key, .json = json, .compare = compare, .dcf = place,
          .text = GetText<M>, .setText = SetText<M>};
}
template <auto M>
constexpr DictField<ClassOf<M>> Number(FieldKind kind, std::string_view key, std::string_view json,
                                       std::string_view compare, DcfPlace place = DcfPlace::Line,
                                       const FieldWords* words = nullptr) {
  return {.kind = kind, .key = key, .json = json, .compare = compare, .dcf = place,
          .number = GetNumber<M>, .setNumber = SetNumber<M>, .words = words};
}
template <auto M>
constexpr DictField<ClassOf<M>> Flag(std::string_view key, std::string_view json, std::string_view compare,
                                     DcfPlace place = DcfPlace::Line) {
  return Number<M>(FieldKind::Flag, key, json, compare, place);
}
template <auto M>
constexpr DictField<ClassOf<M>> Choice(const FieldWords& words, std::string_view key, std::string_view json,
                                       std::string_view compare, DcfPlace place = DcfPlace::Line) {
  return Number<M>(FieldKind::Choice, key, json, compare, place, &words);
}
// A row as compare places and shows it.
template <typename T>
constexpr DictField<T> Compared(DictField<T> field, int rank,
                                std::type_identity_t<std::string (*)(const T&)> text = nullptr,
                                std::type_identity_t<bool (*)(const T&, const T&)> when = nullptr) {
  field.compareRank = rank;
  field.compareText = text;
  field.compareWhen = when;
  return field;
}

constexpr std::string_view kDataTypeCompare[] = {"numeric", "alpha"};
constexpr std::string_view kItemTypeCompare[] = {"item", "subitem"};
constexpr std::string_view kValueTypeCompare[] = {"yes", "missing", "not applicable", "default"};
constexpr FieldWords kDataTypes{dcf::kDataTypeWords, kDataTypeCompare};
constexpr FieldWords kItemTypes{dcf::kItemTypeWords, kItemTypeCompare};
constexpr FieldWords kValueTypes{dcf::kValueTypeWords, kValueTypeCompare};

// A value's pairs as compare shows them: 'from' or 'from':'to', a range from a value to
// itself being that value (ORVA 3.1 writes every pair so).
std::string PairsText(const CDictValue& value) {
  std::string text;
  for (int p = 0; p < value.GetNumVPairs(); ++p) {
    const CDictVPair* pair = value.GetVPair(p);
    text += (p ? ", '" : "'") + std::string(pair->GetFrom()) + "'";
    const std::string& to = pair->GetTo();
    if (!to.empty() && to != pair->GetFrom()) text += ":'" + to + "'";
  }
  return text;
}

// Whether a value is special, and of which kind.
std::string SpecialText(const CDictValue& value) {
  return value.IsSpecial() ? std::string(kValueTypeCompare[value.GetValueType()]) : "no";
}

bool BothSpecial(const CDictValue& a, const CDictValue& b) { return a.IsSpecial() && b.IsSpecial(); }

}  // namespace

struct DictFieldTables {
  static std::span<const DictField<CDataDict>> Dictionary() {
    using D = CDataDict;
    static constexpr DictField<D> rows[] = {
        Text<&D::m_sName>(dcf::kName, "name", "name"),
        Text<&D::m_sLabel>(dcf::kLabel, "label", "label"),
        Text<&D::m_sNote>(dcf::kNote, "note", "note"),
        Number<&D::m_iRecTypeStart>(FieldKind::Number, dcf::kRecordTypeStart, "recTypeStart", "record type start"),
        Number<&D::m_iRecTypeLen>(FieldKind::Number, dcf::kRecordTypeLen, "recTypeLen", "record type length"),
        Flag<&D::m_bPosRelative>(dcf::kRelativePositions, "posRelative", "relative positions"),
        Flag<&D::m_bZeroFill>(dcf::kZeroFill, "zeroFill", "zero fill"),
        Flag<&D::m_bDecChar>(dcf::kDecimalChar, "decChar", "decimal character"),
    };
    return rows;
  }

  static std::span<const DictField<CDictLevel>> Level() {
    using L = CDictLevel;
    static constexpr DictField<L> rows[] = {
        Text<&L::m_sName>(dcf::kName, "name", "name"),
        Text<&L::m_sLabel>(dcf::kLabel, "label", "label"),
        Text<&L::m_sNote>(dcf::kNote, "", "note"),  // the JSON gives a level no note
    };
    return rows;
  }

  // Compare pairs records and items by name: their names stand in its paths.
  static std::span<const DictField<CDictRecord>> Record() {
    using R = CDictRecord;
    static constexpr DictField<R> rows[] = {
        Text<&R::m_sName>(dcf::kName, "name", ""),
        Text<&R::m_sLabel>(dcf::kLabel, "label", "label"),
        Text<&R::m_sNote>(dcf::kNote, "note", "note"),
        Text<&R::m_sRecTypeVal>(dcf::kRecordTypeValue, "recTypeValue", "record type"),
        Flag<&R::m_bRequired>(dcf::kRequired, "required", "required"),
        Number<&R::m_iMaxRecs>(FieldKind::Number, dcf::kMaxRecords, "maxRecs", "maximum records"),
        Number<&R::m_iRecLen>(FieldKind::Number, dcf::kRecordLen, "recLen", "record length"),
    };
    return rows;
  }

  // Compare lists an item's types before its decimals, and its occurrences last.
  static std::span<const DictField<CDictItem>> Item() {
    using I = CDictItem;
    static constexpr DictField<I> rows[] = {
        Text<&I::m_sName>(dcf::kName, "name", ""),
        Text<&I::m_sLabel>(dcf::kLabel, "label", "label"),
        Text<&I::m_sNote>(dcf::kNote, "note", "note"),
        Number<&I::m_iStart>(FieldKind::Number, dcf::kStart, "start", "start"),
        Number<&I::m_iLen>(FieldKind::Number, dcf::kLen, "len", "length"),
        Compared(Number<&I::m_iOccurs>(FieldKind::Number, dcf::kOccurrences, "occurs", "occurrences"), 2),
        Compared(Number<&I::m_iDecimal>(FieldKind::Number, dcf::kDecimal, "decimals", "decimals"), 1),
        Choice<&I::m_eDataType>(kDataTypes, dcf::kDataType, "dataType", "type"),
        Choice<&I::m_eItemType>(kItemTypes, dcf::kItemType, "itemType", "item type"),
        Compared(Flag<&I::m_bDecChar>(dcf::kDecimalChar, "decChar", "decimal character"), 1),
        Compared(Flag<&I::m_bZeroFill>(dcf::kZeroFill, "zeroFill", "zero fill"), 1),
    };
    return rows;
  }

  static std::span<const DictField<CDictVSet>> VSet() {
    using S = CDictVSet;
    static constexpr DictField<S> rows[] = {
        Text<&S::m_sName>(dcf::kName, "name", "name"),
        Text<&S::m_sLabel>(dcf::kLabel, "label", "label"),
        Text<&S::m_sNote>(dcf::kNote, "note", "note"),
    };
    return rows;
  }

  // The label stands in the Value= line with the pairs; the other fields follow on lines of
  // their own when they are not the default. Compare shows the pairs as one text, and
  // whether the value is special with its kind; its name only when both sides are special.
  static std::span<const DictField<CDictValue>> Value() {
    using V = CDictValue;
    constexpr auto unlessDefault = DcfPlace::LineUnlessDefault;
    static constexpr DictField<V> rows[] = {
        Compared(Text<&V::m_sName>(dcf::kValueName, "name", "special name", unlessDefault), 2, nullptr, BothSpecial),
        Text<&V::m_sLabel>("", "label", "label", DcfPlace::ValueLine),
        Text<&V::m_sNote>(dcf::kValueNote, "note", "note", unlessDefault),
        {.kind = FieldKind::Text, .key = "", .json = "", .compare = "values", .dcf = DcfPlace::None,
         .compareRank = 1, .compareText = PairsText},
        Choice<&V::m_eValueType>(kValueTypes, dcf::kValueType, "valueType", "", unlessDefault),
        Compared(Flag<&V::m_bSpecial>(dcf::kValueSpecial, "special", "special", unlessDefault), 1, SpecialText),
    };
    return rows;
  }

  static std::span<const DictField<CDictVPair>> VPair() {
    using P = CDictVPair;
    static constexpr DictField<P> rows[] = {
        Text<&P::m_sFrom>("", "from", "", DcfPlace::ValueLine),
        Text<&P::m_sTo>("", "to", "", DcfPlace::ValueLine),
    };
    return rows;
  }
};

template <> std::span<const DictField<CDataDict>> FieldsOf() { return DictFieldTables::Dictionary(); }
template <> std::span<const DictField<CDictLevel>> FieldsOf() { return DictFieldTables::Level(); }
template <> std::span<const DictField<CDictRecord>> FieldsOf() { return DictFieldTables::Record(); }
template <> std::span<const DictField<CDictItem>> FieldsOf() { return DictFieldTables::Item(); }
template <> std::span<const DictField<CDictVSet>> FieldsOf() { return DictFieldTables::VSet(); }
template <> std::span<const DictField<CDictValue>> FieldsOf() { return DictFieldTables::Value(); }
template <> std::span<const DictField<CDictVPair>> FieldsOf() { return DictFieldTables::VPair(); }
