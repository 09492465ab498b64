#pragma once
// What `inspect` shows of a Travo dictionary: JSON with fixed keys, or an indented text
// with the dictionary's texts shown visibly (VisibleText, libs/util/TextTools.h).
#include <ostream>

class CDataDict;
class CJsonStreamWriter;

// Writes the whole document, ended by a newline.
void WriteDictJson(const CDataDict& dict, CJsonStreamWriter& writer);
void WriteDictText(const CDataDict& dict, std::ostream& out);
