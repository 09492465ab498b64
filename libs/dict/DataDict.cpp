#include "libs/dict/DataDict.h"
