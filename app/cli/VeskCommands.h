#pragma once
// The command-line tool's VESK printing commands:
//
//   vesk-report DIC [-o FILE]   the dictionary listing on stdout, or into FILE
//   vesk-html DIC -d DIR        one HTML page per form, DIR/<FORM>.HTM, linked in file order
//
// Each returns the exit status: 0 everything written, 1 a failure (the reason on stderr),
// 2 a usage error, for which it writes nothing and sets usageError to the reason.
#include <string>
#include <vector>

int RunVeskReport(const std::vector<std::string>& args, std::string& usageError);
int RunVeskHtml(const std::vector<std::string>& args, std::string& usageError);
