#pragma once
// What `inspect` shows of a Travo dictionary: JSON with fixed keys, each object's fields in
// the order of the model's field lists (DictFields.h), or an indented text of the fields a
// reader looks for, with the dictionary's texts shown visibly (VisibleText,
// libs/util/TextTools.h).
#include <ostream>

class CDataDict;
class CJsonStreamWriter;

// Writes the whole document, ended by a newline.
void WriteDictJson(const CDataDict& dict, CJsonStreamWriter& writer);
void WriteDictText(const CDataDict& dict, std::ostream& out);

// The one or the other, as json asks.
void DescribeDictionary(const CDataDict& dict, bool json, std::ostream& out);
