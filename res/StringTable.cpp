#include "res/StringTable.h"

const char* LoadResString(int id) {
  if (id == IDS_APP_TITLE) return "Travo 4.0 Convert Dictionary";
  return nullptr;
}
