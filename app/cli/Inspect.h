#pragma once
// `inspect`: shows what a dictionary or forms file holds, read as what its content shows.
#include <ostream>
#include <string>

#include "libs/util/Reporter.h"

// Writes the description of path (JSON when json is set) to out. False with a message in
// error when the file cannot be read or its kind is not known.
// Messages of the reading go to host as they come.
bool InspectFile(const std::string& path, bool json, std::ostream& out, std::string& error, IReporter& host);
