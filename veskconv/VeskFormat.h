#pragma once
// The VESK formats as modules: the dictionary with its header (.dic) and the work
// dictionary (.wst). Each reads the path it is given as its own format, whatever the
// file's extension, and names the file in its messages as shown.
#include <string>

#include "libs/format/Format.h"

const FormatModule& VeskDictFormat();
const FormatModule& VeskWorkFormat();
// The row an input's extension names: the work dictionary for ".wst" in any letter case,
// the dictionary for any other.
const FormatModule& VeskFormatNamedBy(const std::string& path);

// The files a VESK conversion writes for an output name: the name without the extension
// of its file name, with ".dcf" (the dictionary) and ".fmf" (the forms file).
std::string VeskDictionaryPathFor(const std::string& output);
std::string VeskFormsPathFor(const std::string& output);
