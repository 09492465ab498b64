#pragma once
// travo-convert-cli vesk-data DIC DATA -d DIR: the records of a fixed-width data file
// described by a VESK dictionary, as one CSV file per section in DIR.
#include <functional>
#include <string>
#include <vector>

// Runs the command on its arguments (those after "vesk-data"). A usage error goes to
// usageError, whose result is returned; otherwise 0 when every file was written and 1
// after a message on stderr.
int RunVeskData(const std::vector<std::string>& args, const std::function<int(const std::string&)>& usageError);
