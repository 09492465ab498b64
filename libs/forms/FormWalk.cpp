// Numbering of the items a forms file holds, in .fmf order.
#include "libs/forms/FormWalk.h"

namespace {

// depth counts the groups from the level or form down to item (1 for a level's group).
void NumberTree(const CDEItemBase* item, int depth, FormItemIds& out) {
  out.ids.emplace(item, out.count++);
  const CDEGroup* group = AsGroup(item);
  if (!group) return;
  if (depth >= kMaxFmfNesting) {
    if (group->GetNumItems() > 0) out.tooDeep = true;
    return;
  }
  for (int i = 0; i < group->GetNumItems(); ++i) NumberTree(group->GetItem(i), depth + 1, out);
}

}  // namespace

FormItemIds NumberItems(const CDEFormFile& formFile) {
  FormItemIds out;
  for (int l = 0; l < formFile.GetNumLevels(); ++l) {
    const CDELevel* level = formFile.GetLevel(l);
    for (int g = 0; g < level->GetNumGroups(); ++g) NumberTree(level->GetGroup(g), 1, out);
  }
  for (int f = 0; f < formFile.GetNumForms(); ++f) {
    const CDEForm* form = formFile.GetForm(f);
    for (int i = 0; i < form->GetNumItems(); ++i)
      if (form->OwnsItem(form->GetItem(i))) NumberTree(form->GetItem(i), 1, out);
  }
  return out;
}
