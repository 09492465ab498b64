#pragma once
// Dictionaries for the dictionary tests and fuzz target: one with a given text in every kind
// of text field, and a rich one with every field set to something other than its default
// and texts that are awkward to store.
#include <climits>
#include <string>
#include <vector>

#include "libs/dict/DataDict.h"

namespace sample {

// Texts a file format must carry exactly.
inline const std::vector<std::string>& AwkwardTexts() {
  static const std::vector<std::string> texts = {
      "",
      "plain",
      "line one\r\nline two\nthree\rfour",
      "key=value; a;b, c:d",
      "\"double\" and 'single' quotes",
      "  leading and trailing  ",
      " ",
      "   ",
      "tab\there",
      "back\\slash and \\n written out",
      "[Item]",
      "Value=1;fake",
      "\x01\x1f\x7f control",
      "Gr\xc3\xbc\xc3\x9f \xe2\x9c\x93 \xe6\xbc\xa2\xe5\xad\x97 \xf0\x9f\x98\x80",
      "latin-1 \xe9t\xe9 and lone \xff\xfe bytes \xc3",
      "\xed\xa0\x80 surrogate, \xc0\xaf overlong",
      std::string("nul\0inside", 10),
      "\\s\\x41 escapes that are only text",
  };
  return texts;
}

inline CDictItem MakeItem(const std::string& name, int start, int len, DATA_TYPE type = NumericType) {
  CDictItem item;
  item.SetName(name);
  item.SetLabel(name + " label");
  item.SetStart(start);
  item.SetLen(len);
  item.SetDataType(type);
  return item;
}

inline CDictVSet MakeVSet(const std::string& name, const std::vector<std::pair<std::string, std::string>>& pairs) {
  CDictVSet vset;
  vset.SetName(name);
  vset.SetLabel(name + " label");
  for (const auto& [from, to] : pairs) {
    CDictValue value;
    value.SetLabel("value " + from);
    CDictVPair pair(from, to);
    value.AddVPair(&pair);
    vset.AddValue(&value);
  }
  return vset;
}

// A dictionary with one item whose texts are all text, in every kind of text field.
inline CDataDict DictWithText(const std::string& text) {
  CDataDict dict;
  dict.SetNote(text);
  CDictLevel level;
  level.SetLabel(text);
  CDictRecord rec;
  rec.SetRecTypeVal(text);
  CDictItem item;
  item.SetName(text);
  CDictVSet vset;
  vset.SetNote(text);
  CDictValue value;
  value.SetLabel(text);
  value.SetName(text);
  value.SetNote(text);
  CDictVPair single(text, "");
  CDictVPair range(text, text);
  CDictVPair toOnly("", text);
  for (CDictVPair* pair : {&single, &range, &toOnly}) value.AddVPair(pair);
  vset.AddValue(&value);
  item.AddVSet(&vset);
  rec.AddItem(&item);
  level.AddRecord(&rec);
  dict.AddLevel(&level);
  return dict;
}

// Every field of every kind of object set; texts taken round-robin from AwkwardTexts.
inline CDataDict MakeRichDict() {
  const auto& texts = AwkwardTexts();
  size_t next = 0;
  auto text = [&] { return CVornString(texts[next++ % texts.size()]); };

  CDataDict dict;
  dict.SetName("RICH_DICT");
  dict.SetLabel(text());
  dict.SetNote(text());
  dict.SetRecTypeStart(3);
  dict.SetRecTypeLen(2);
  dict.SetPosRelative(true);
  dict.SetZeroFill(true);
  dict.SetDecChar(true);

  for (int l = 0; l < 2; ++l) {
    CDictLevel level;
    level.SetName("LEVEL_" + std::to_string(l));
    level.SetLabel(text());
    level.SetNote(text());

    CDictRecord id;
    id.SetName(text());
    id.SetLabel(text());
    id.SetNote(text());
    id.SetRecTypeVal(text());
    id.SetRequired(true);
    id.SetMaxRecs(INT_MIN);
    id.SetRecLen(INT_MAX);
    CDictItem idItem = MakeItem("ID_" + std::to_string(l), 1, 3, AlphaType);
    id.AddItem(&idItem);
    level.SetIdItemsRec(&id);

    for (int r = 0; r < 2; ++r) {
      CDictRecord rec;
      rec.SetName("REC_" + std::to_string(l) + "_" + std::to_string(r));
      rec.SetLabel(text());
      rec.SetNote(text());
      rec.SetRecTypeVal(text());
      rec.SetRequired(r == 0);
      rec.SetMaxRecs(-7 + r);
      rec.SetRecLen(0);
      for (int i = 0; i < 3; ++i) {
        CDictItem item;
        item.SetName(text());
        item.SetLabel(text());
        item.SetNote(text());
        item.SetStart(-5 + i);
        item.SetLen(1000000 + i);
        item.SetOccurs(i);
        item.SetDecimal(-1 - i);
        item.SetDataType(i % 2 ? AlphaType : NumericType);
        item.SetItemType(i == 2 ? SubItem : Item);
        item.SetDecChar(i != 1);
        item.SetZeroFill(i == 1);
        for (int s = 0; s < 2; ++s) {
          CDictVSet vset;
          vset.SetName(text());
          vset.SetLabel(text());
          vset.SetNote(text());
          for (int v = 0; v < 5; ++v) {
            CDictValue value;
            value.SetName(v == 1 ? CVornString() : text());
            value.SetLabel(text());
            value.SetNote(v == 2 ? CVornString() : text());
            value.SetValueType(v % 4);
            value.SetSpecial(v % 2 == 0);
            for (int p = 0; p < v; ++p) {  // 0 to 4 pairs; value 1 has one all-empty pair
              CDictVPair pair(p == 1 || v == 1 ? CVornString() : text(), p == 2 || v == 1 ? CVornString() : text());
              value.AddVPair(&pair);
            }
            vset.AddValue(&value);
          }
          item.AddVSet(&vset);
        }
        rec.AddItem(&item);
      }
      level.AddRecord(&rec);
    }
    dict.AddLevel(&level);
  }
  return dict;
}

}  // namespace sample
