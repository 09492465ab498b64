// The SPSS and Stata writers (ReadStat): placeholder until they are built.
#include "libs/data/DataTables.h"

std::unique_ptr<TableWriter> MakeSavWriter() { return nullptr; }
std::unique_ptr<TableWriter> MakeDtaWriter() { return nullptr; }
