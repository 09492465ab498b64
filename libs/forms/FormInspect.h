#pragma once
// What `inspect` shows of a forms file: JSON with fixed keys (docs/fmf-format.md), or a
// short outline in text.
#include <string>

class CDEFormFile;
class CJsonStreamWriter;

// Keys keep the order of docs/fmf-format.md. Items carry the same numbers ("id") as in
// the .fmf file; a form refers to an item it does not own as {"ref": id}. Writes the whole
// document, ended by a newline.
void WriteFormFileJson(const CDEFormFile& formFile, CJsonStreamWriter& writer);

// A few lines: the header, the dictionaries, counts of each kind of object, then one line
// per level, group (top groups of levels) and form, the file's texts shown visibly
// (VisibleText, libs/util/TextTools.h).
std::string DescribeFormFile(const CDEFormFile& formFile);
