// The model's field lists drive the .dcf reader and writer, the JSON description, compare and
// operator==. Every stored field, one at a time, must be written and read back, seen by
// operator== and compare, and shown in the JSON when the list says so.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "SampleDict.h"
#include "libs/dict/DataDict.h"
#include "libs/dict/DictCompare.h"
#include "libs/dict/DictFields.h"
#include "libs/dict/DictInspect.h"
#include "libs/util/JsonStream.h"

namespace {

// The object of each level whose fields are changed: deep in the rich dictionary, a special
// value (compare shows a value's name and kind only for special values).
CDataDict& DictOf(CDataDict& d) { return d; }
CDictLevel& LevelOf(CDataDict& d) { return *d.GetLevel(1); }
CDictRecord& RecordOf(CDataDict& d) { return *LevelOf(d).GetRecord(1); }
CDictItem& ItemOf(CDataDict& d) { return *RecordOf(d).GetItem(2); }
CDictVSet& VSetOf(CDataDict& d) { return *ItemOf(d).GetVSet(1); }
CDictValue& ValueOf(CDataDict& d) { return *VSetOf(d).GetValue(2); }
CDictVPair& PairOf(CDataDict& d) { return *ValueOf(d).GetVPair(0); }

// Gives the field a value other than the one it has.
template <typename T>
void Change(const DictField<T>& field, T& object) {
  if (field.kind == FieldKind::Text) return field.setText(object, field.text(object) + "x");
  const int n = field.number(object);
  switch (field.kind) {
    case FieldKind::Flag: return field.setNumber(object, n == 0);
    case FieldKind::Choice: return field.setNumber(object, (n + 1) % static_cast<int>(field.words->dcf.size()));
    default: return field.setNumber(object, n == INT_MAX ? n - 1 : n + 1);
  }
}

std::string Json(const CDataDict& dict) {
  std::ostringstream out;
  DescribeDictionary(dict, true, out);
  return out.str();
}

template <typename T>
void CheckEveryField(T& (*target)(CDataDict&)) {
  const CDataDict original = sample::MakeRichDict();
  CDataDict unchanged = original;  // the targets are reached through non-const references
  const std::string originalText = DcfToText(original);
  for (const DictField<T>& field : FieldsOf<T>()) {
    if (!field.Stored()) continue;
    SCOPED_TRACE("field " + std::string(field.key) + " / " + std::string(field.json));
    CDataDict changed = original;
    Change(field, target(changed));

    // The change touches this field only: no two rows reach the same member.
    for (const DictField<T>& other : FieldsOf<T>()) {
      if (&other != &field && other.Stored()) {
        EXPECT_TRUE(other.Same(target(changed), target(unchanged))) << other.key;
      }
    }
    EXPECT_FALSE(changed == original);
    EXPECT_FALSE(CompareDictionaries(original, changed).empty());
    if (!field.json.empty()) {
      EXPECT_NE(Json(changed), Json(original));
    }

    const std::string text = DcfToText(changed);
    EXPECT_NE(text, originalText);
    CDataDict read;
    std::string error;
    ASSERT_TRUE(DcfFromText(text, read, &error)) << error;
    EXPECT_TRUE(read == changed);
    EXPECT_TRUE(field.Same(target(read), target(changed)));
  }
}

TEST(DictFieldList, EveryFieldSurvivesWritingAndReadingAndEveryChangeIsSeen) {
  CheckEveryField(DictOf);
  CheckEveryField(LevelOf);
  CheckEveryField(RecordOf);
  CheckEveryField(ItemOf);
  CheckEveryField(VSetOf);
  CheckEveryField(ValueOf);
  CheckEveryField(PairOf);
}

// The id-items record's own fields are stored and compared for equality, though compare
// passes them by (the id items are one record of the level whatever their record's name).
TEST(DictFieldList, TheIdItemsRecordsFieldsSurviveAndCountForEquality) {
  const CDataDict original = sample::MakeRichDict();
  for (const DictField<CDictRecord>& field : FieldsOf<CDictRecord>()) {
    SCOPED_TRACE(std::string(field.key));
    CDataDict changed = original;
    Change(field, *changed.GetLevel(0)->GetIdItemsRec());
    EXPECT_FALSE(changed == original);
    EXPECT_TRUE(CompareDictionaries(original, changed).empty());
    CDataDict read;
    std::string error;
    ASSERT_TRUE(DcfFromText(DcfToText(changed), read, &error)) << error;
    EXPECT_TRUE(read == changed);
  }
}

}  // namespace
