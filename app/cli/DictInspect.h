#pragma once
// What `inspect` shows of a Travo dictionary: JSON with fixed keys, or an indented text.
#include <ostream>

#include <nlohmann/json.hpp>

class CDataDict;

nlohmann::ordered_json DictToJson(const CDataDict& dict);
void WriteDictText(const CDataDict& dict, std::ostream& out);
