#pragma once
// A short text of what a group of a forms file holds, for comparing layouts in tests.
#include <string>

#include "libs/forms/FormFile.h"

// What a group holds, in order: item names, and rosters as NAME{COLUMN ...}xROWS.
inline std::string Outline(const CDEGroup& group) {
  std::string out;
  for (int i = 0; i < group.GetNumItems(); ++i) {
    const CDEItemBase* item = group.GetItem(i);
    if (!out.empty()) out += ' ';
    out += item->GetName();
    if (item->GetItemType() == CDEFormBase::Roster) {
      const auto* roster = static_cast<const CDEGroup*>(item);
      out += '{' + Outline(*roster) + "}x" + std::to_string(roster->GetMaxLoops());
    }
  }
  return out;
}
