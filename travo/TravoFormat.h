#pragma once
// The Travo formats as format modules: the dictionary (.dcf), which every conversion reads
// or writes, and the forms file (.fmf). Neither converts: conversions into and out of Travo
// belong to the other formats' modules.
#include "libs/format/Format.h"

const FormatModule& TravoDictFormat();
const FormatModule& TravoFormsFormat();
