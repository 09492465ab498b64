#pragma once
// `compare`: reads two dictionaries of any of the tool's formats into the Travo model and
// lists where they differ, level by level, record by record, item by item.
#include <memory>
#include <string>
#include <vector>

class CDataDict;

// One difference: where (LEVEL/RECORD/ITEM/VSET/VALUE, "DICTIONARY" for the dictionary's
// own attributes), what differs ("length", "label", "item", ...) and the two sides as
// text. A side that lacks the element reads "(none)".
struct DictDifference {
  std::string path;
  std::string what;
  std::string a;
  std::string b;
  bool text = false;  // a and b are texts, shown in quotes
};

// The differences between a and b, in the order of a's elements. Levels, value sets and
// values are paired by position; records and items by name (elements only one side holds
// are reported once, as present on one side and "(none)" on the other). A pair from a
// value to the same value counts as that value alone.
std::vector<DictDifference> CompareDictionaries(const CDataDict& a, const CDataDict& b);

// The line printed for a difference: "PATH: what A vs B", its control characters shown
// visibly (VisibleText): a text that held a line break still makes one line.
std::string FormatDifference(const DictDifference& difference);

// Reads path, of any dictionary format (by its content, else its extension), into the
// Travo model, as its conversion would build it; nothing is written beside it. Null with
// a message naming the file in error when it cannot be read.
std::unique_ptr<CDataDict> LoadAnyDictionary(const std::string& path, std::string& error);
