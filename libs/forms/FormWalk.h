#pragma once
// Internal to the forms library: the numbering of items that the .fmf file, the JSON
// description and the comparison of forms files share.
#include <unordered_map>

#include "libs/forms/FormFile.h"

// The group an item is, or null for fields and texts.
const CDEGroup* AsGroup(const CDEItemBase* item);

// Every item the forms file holds, numbered from 0 in the order the .fmf file lists them:
// the levels' groups with everything inside them, depth first; then, form by form, the
// items each form owns, each with everything inside it. Items a form only refers to take
// their number from where they are held.
struct FormItemIds {
  std::unordered_map<const CDEItemBase*, int> ids;
  int count = 0;
  bool tooDeep = false;  // some group lies deeper than kMaxFmfNesting; its items are not numbered

  int IdOf(const CDEItemBase* item) const {
    auto it = ids.find(item);
    return it == ids.end() ? -1 : it->second;
  }
};
FormItemIds NumberItems(const CDEFormFile& formFile);
