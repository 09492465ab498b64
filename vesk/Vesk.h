#pragma once
// The VESK dictionary library: everything a program needs to load a VESK dictionary.
#include "vesk/Buffers.h"
#include "vesk/Dic.h"
#include "vesk/Frm.h"
#include "vesk/Key.h"
#include "vesk/Lab.h"
#include "vesk/Lst.h"
#include "vesk/Sec.h"
#include "vesk/SpecialValues.h"
#include "vesk/Var.h"
