#pragma once
// The ORVA 3.1 format's row in the programs' table of formats: the binary dictionary (.dd),
// converted into Travo (kind 0) and from Travo (kind 2), and described byte by byte.
#include "libs/format/Format.h"

const FormatModule& Orva31Format();
