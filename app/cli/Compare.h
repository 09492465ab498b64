#pragma once
// `compare`: reads two dictionaries of any of the tool's formats into the Travo model and
// lists where they differ, level by level, record by record, item by item.
#include <memory>
#include <string>
#include <vector>

#include "libs/dict/DictCompare.h"

class CDataDict;

// Reads path, of any dictionary format (by its content, else its extension), into the
// Travo model, as its conversion would build it; nothing is written beside it. Null with
// a message naming the file in error when it cannot be read.
std::unique_ptr<CDataDict> LoadAnyDictionary(const std::string& path, std::string& error);
