#pragma once
// The ORVA 4.1 format's row in the programs' table of formats: the text dictionary (.ddw),
// read into Travo and converted into it (kind 1).
#include "libs/format/Format.h"

const FormatModule& Orva41Format();
