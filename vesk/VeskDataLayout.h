#pragma once
// The data layout of a VESK dictionary: its sections are the tables, its variables the
// columns (one per occurrence of a repeated variable, NAME_1 ...). A line is read through
// the section's occurrence buffers, so the variables' transformations are applied as VESK
// applies them.
#include <functional>
#include <memory>
#include <string>

#include "libs/data/DataTables.h"

// The layout of the VESK dictionary at path, a work dictionary when work is set; null with
// the reason in error (naming the file as shown) when it cannot be loaded or its lines
// cannot be told apart.
// The columns carry names, types, widths, decimals and the special codes; describe, when
// given, adds what a caller knows of each variable (labels), given its name.
using VeskColumnDescriber = std::function<void(const std::string& variable, DataColumn& column)>;
std::unique_ptr<DataLayout> MakeVeskDataLayout(const std::string& path, const std::string& shown, bool work,
                                               std::string& error, const VeskColumnDescriber& describe = nullptr);
