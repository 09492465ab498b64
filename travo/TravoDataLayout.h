#pragma once
// The data layout that a Travo dictionary describes (also the ORVA dictionaries, read into
// the Travo model): one table per record, each line told apart by the record type at the
// dictionary's record-type columns.
#include <memory>
#include <string>

#include "libs/data/DataTables.h"

class CDataDict;
class CDictItem;

// The layout of dict's data files; null with the reason in error when its lines cannot be
// told apart (several records and no record-type columns) or it has no record.
std::unique_ptr<DataLayout> MakeTravoDataLayout(const CDataDict& dict, std::string& error);

// What an item's first value set says of its values, into column (whose numeric flag is
// set): the item's label, the labels of single values, the special codes, the labels of
// ranges, and what a blank field stands for.
void DescribeItemValues(const CDictItem& item, DataColumn& column);
