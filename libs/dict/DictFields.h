#pragma once
// The fields of the dictionary model, one list per level of the model (dictionary, level,
// record, item, value set, value, value pair). Each row says how the field is written in a
// .dcf file, what inspect's JSON calls it, what compare calls it, and how to get and set it.
// The .dcf reader and writer, the descriptions, compare and the model's operator== walk these
// lists, so a field added to a row is read, written, shown, compared and tested alike. The
// rows stand in the order of the .dcf file and of the JSON.
#include <span>
#include <string>
#include <string_view>

#include "libs/dict/DataDict.h"

enum class FieldKind {
  Text,    // text(): a text
  Number,  // number(): a whole number
  Flag,    // number(): 0 or 1, Yes/No in the file, true/false in the JSON
  Choice,  // number(): an enum's value, a word in the file and in compare, a number in the JSON
};

// Where a field stands in a .dcf file.
enum class DcfPlace {
  Line,               // a Key=value line of its section, always written
  LineUnlessDefault,  // such a line, left out while the field is empty, 0 or No
  ValueLine,          // inside the Value= line, which holds the value's pairs and label
  None,               // not in the file: a view of other fields
};

// The words of a Choice field, indexed by its value.
struct FieldWords {
  std::span<const std::string_view> dcf;      // in the .dcf file
  std::span<const std::string_view> compare;  // in compare's differences
};

template <typename T>
struct DictField {
  FieldKind kind;
  std::string_view key;      // the .dcf key (empty inside the Value= line)
  std::string_view json;     // the inspect --json key; empty when the JSON leaves it out
  std::string_view compare;  // what compare calls it; empty when compare passes it by
  DcfPlace dcf = DcfPlace::Line;
  const std::string& (*text)(const T&) = nullptr;  // Text
  void (*setText)(T&, std::string&&) = nullptr;
  int (*number)(const T&) = nullptr;  // Number, Flag, Choice
  void (*setNumber)(T&, int) = nullptr;
  const FieldWords* words = nullptr;  // Choice
  // Compare lists an object's differences by rank, rows of one rank in their order.
  int compareRank = 0;
  // What compare shows of the field (unquoted) when not its value as its kind shows it.
  std::string (*compareText)(const T&) = nullptr;
  // Compare looks at the field only when this holds for both sides.
  bool (*compareWhen)(const T&, const T&) = nullptr;

  // A field the model stores (and so reads, writes and compares for equality), not a view.
  bool Stored() const { return setText || setNumber; }
  bool IsDefault(const T& object) const { return kind == FieldKind::Text ? text(object).empty() : number(object) == 0; }
  bool Same(const T& a, const T& b) const {
    return kind == FieldKind::Text ? text(a) == text(b) : number(a) == number(b);
  }
};

// The list of T's fields, for T one of the model's classes.
template <typename T>
std::span<const DictField<T>> FieldsOf();
template <> std::span<const DictField<CDataDict>> FieldsOf();
template <> std::span<const DictField<CDictLevel>> FieldsOf();
template <> std::span<const DictField<CDictRecord>> FieldsOf();
template <> std::span<const DictField<CDictItem>> FieldsOf();
template <> std::span<const DictField<CDictVSet>> FieldsOf();
template <> std::span<const DictField<CDictValue>> FieldsOf();
template <> std::span<const DictField<CDictVPair>> FieldsOf();

// True when every stored field of a and b is the same.
template <typename T>
bool SameFields(const T& a, const T& b) {
  for (const DictField<T>& field : FieldsOf<T>()) {
    if (field.Stored() && !field.Same(a, b)) return false;
  }
  return true;
}
