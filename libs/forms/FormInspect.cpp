// JSON and text descriptions of a forms file.
#include "libs/forms/FormInspect.h"

#include "libs/forms/FormFile.h"
#include "libs/forms/FormWalk.h"

using nlohmann::ordered_json;

namespace {

// Length of the well-formed UTF-8 sequence at text[i], 0 when there is none.
size_t Utf8Length(std::string_view text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return 1;
  const size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  if (lead < 0xC2 || lead > 0xF4 || n > text.size() - i) return 0;
  char32_t code = lead & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    code = (code << 6) | (b & 0x3F);
  }
  static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  return code < kSmallest[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? 0 : n;
}

// JSON texts must be UTF-8, model texts may hold any byte: each byte that is not part of a
// UTF-8 character becomes U+FFFD.
std::string Utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t n = Utf8Length(text, i);
    out += n ? text.substr(i, n) : std::string_view("\xEF\xBF\xBD");
    i += n ? n : 1;
  }
  return out;
}

ordered_json FontToJson(const LOGFONT& f) {
  return {{"face", Utf8(f.lfFaceName)}, {"height", f.lfHeight}, {"weight", f.lfWeight}, {"italic", f.lfItalic}};
}

ordered_json RectToJson(const CRect& r) {
  return {{"left", r.left}, {"top", r.top}, {"right", r.right}, {"bottom", r.bottom}};
}

const char* TypeName(const CDEItemBase& item) {
  switch (item.GetItemType()) {
    case CDEFormBase::Field: return "field";
    case CDEFormBase::Text: return "text";
    case CDEFormBase::Roster: return "roster";
    default: return "group";
  }
}

ordered_json IdOrNull(const FormItemIds& ids, const CDEItemBase* item) {
  int id = ids.IdOf(item);
  return id >= 0 ? ordered_json(id) : ordered_json(nullptr);
}

ordered_json ItemToJson(const CDEItemBase& item, const FormItemIds& ids) {
  ordered_json j = {{"id", IdOrNull(ids, &item)}, {"type", TypeName(item)}, {"name", Utf8(item.GetName())}};
  if (item.GetItemType() == CDEFormBase::Text) {
    auto& text = static_cast<const CDEText&>(item);
    j["text"] = Utf8(text.GetText());
    j["rect"] = RectToJson(item.GetDims());
    j["formNum"] = item.GetFormNum();
    j["font"] = FontToJson(text.GetLogFont());
    return j;
  }
  j["label"] = Utf8(item.GetLabel());
  j["rect"] = RectToJson(item.GetDims());
  j["formNum"] = item.GetFormNum();
  if (item.GetItemType() == CDEFormBase::Field) {
    auto& field = static_cast<const CDEField&>(item);
    const CDEText& label = *field.GetDETextPtr();
    j["itemName"] = Utf8(field.GetItemName());
    j["dict"] = Utf8(field.GetItemDict());
    j["occ"] = field.GetOcc();
    j["enterKeyRequired"] = field.IsEnterKeyRequired();
    j["protected"] = field.IsProtected();
    j["labelText"] = {{"name", Utf8(label.GetName())}, {"rect", RectToJson(label.GetDims())},
                      {"font", FontToJson(label.GetLogFont())}};
    return j;
  }
  const CDEGroup* group = AsGroup(&item);
  j["required"] = group->GetRequired();
  j["maxLoops"] = group->GetMaxLoops();
  ordered_json items = ordered_json::array();
  for (int i = 0; i < group->GetNumItems(); ++i) items.push_back(ItemToJson(*group->GetItem(i), ids));
  j["items"] = std::move(items);
  return j;
}

ordered_json FormToJson(const CDEForm& form, const FormItemIds& ids) {
  ordered_json items = ordered_json::array();
  for (int i = 0; i < form.GetNumItems(); ++i) {
    const CDEItemBase* item = form.GetItem(i);
    if (form.OwnsItem(item))
      items.push_back(ItemToJson(*item, ids));
    else
      items.push_back({{"ref", IdOrNull(ids, item)}});
  }
  return {{"name", Utf8(form.GetName())},
          {"label", Utf8(form.GetLabel())},
          {"level", form.GetLevel()},
          {"rect", RectToJson(form.GetDims())},
          {"group", form.GetGroup() ? IdOrNull(ids, form.GetGroup()) : ordered_json(nullptr)},
          {"items", std::move(items)}};
}

}  // namespace

ordered_json FormFileToJson(const CDEFormFile& ff) {
  FormItemIds ids = NumberItems(ff);
  ordered_json dicts = ordered_json::array();
  for (int i = 0; i < ff.GetNumDicts(); ++i) dicts.push_back(Utf8(ff.GetDictName(i)));
  ordered_json levels = ordered_json::array();
  for (int l = 0; l < ff.GetNumLevels(); ++l) {
    const CDELevel* level = ff.GetLevel(l);
    ordered_json groups = ordered_json::array();
    for (int g = 0; g < level->GetNumGroups(); ++g) groups.push_back(ItemToJson(*level->GetGroup(g), ids));
    levels.push_back(
        {{"name", Utf8(level->GetName())}, {"label", Utf8(level->GetLabel())}, {"groups", std::move(groups)}});
  }
  ordered_json forms = ordered_json::array();
  for (int f = 0; f < ff.GetNumForms(); ++f) forms.push_back(FormToJson(*ff.GetForm(f), ids));
  return {{"fileName", Utf8(ff.GetFileName())},
          {"version", Utf8(ff.GetVersion())},
          {"name", Utf8(ff.GetName())},
          {"label", Utf8(ff.GetLabel())},
          {"primaryDict", Utf8(ff.GetPrimaryDictName())},
          {"pathOn", ff.IsPathOn()},
          {"convertRoster", ff.ConvertRoster()},
          {"dictionaries", std::move(dicts)},
          {"fieldFont", FontToJson(ff.GetDefFldLF())},
          {"textFont", FontToJson(ff.GetDefTxtLF())},
          {"levels", std::move(levels)},
          {"forms", std::move(forms)}};
}

namespace {

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string DescribeFormFile(const CDEFormFile& ff) {
  FormItemIds ids = NumberItems(ff);
  int counts[6] = {};
  for (const auto& [item, id] : ids.ids) {
    (void)id;
    ++counts[item->GetItemType()];
  }
  std::string out = "Forms file " + ff.GetName() + " " + Quoted(ff.GetLabel()) + ", version " +
                    Quoted(ff.GetVersion()) + "\n";
  out += "  primary dictionary " + ff.GetPrimaryDictName();
  for (int i = 0; i < ff.GetNumDicts(); ++i) out += (i == 0 ? "; files " : ", ") + ff.GetDictName(i);
  out += "\n  " + Plural(ff.GetNumLevels(), "level", "levels") + ", " + Plural(ff.GetNumForms(), "form", "forms") +
         ", " + Plural(counts[CDEFormBase::Group], "group", "groups") + ", " +
         Plural(counts[CDEFormBase::Roster], "roster", "rosters") + ", " +
         Plural(counts[CDEFormBase::Field], "field", "fields") + ", " +
         Plural(counts[CDEFormBase::Text], "text", "texts") + "\n";
  for (int l = 0; l < ff.GetNumLevels(); ++l) {
    const CDELevel* level = ff.GetLevel(l);
    out += "  level " + level->GetName() + " " + Quoted(level->GetLabel()) + "\n";
    for (int g = 0; g < level->GetNumGroups(); ++g) {
      const CDEGroup* group = level->GetGroup(g);
      out += std::string("    ") + TypeName(*group) + " " + group->GetName() + " " + Quoted(group->GetLabel()) +
             ", form " + std::to_string(group->GetFormNum()) + ", " +
             Plural(group->GetNumItems(), "item", "items") + (group->GetRequired() ? ", required" : "") + "\n";
    }
  }
  for (int f = 0; f < ff.GetNumForms(); ++f) {
    const CDEForm* form = ff.GetForm(f);
    const CRect& r = form->GetDims();
    out += "  form " + std::to_string(f) + " " + form->GetName() + " " + Quoted(form->GetLabel()) + ", level " +
           std::to_string(form->GetLevel()) + ", " + std::to_string(r.Width()) + "x" + std::to_string(r.Height()) +
           ", " + Plural(form->GetNumItems(), "item", "items");
    if (form->GetGroup()) out += ", shows group " + form->GetGroup()->GetName();
    out += "\n";
  }
  return out;
}
