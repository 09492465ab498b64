// JSON and text descriptions of a forms file.
#include "libs/forms/FormInspect.h"

#include "libs/forms/FormFile.h"
#include "libs/forms/FormWalk.h"
#include "libs/util/JsonStream.h"
#include "libs/util/TextTools.h"

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

void WriteFont(CJsonStreamWriter& w, std::string_view key, const LOGFONT& f) {
  w.Key(key);
  w.BeginObject();
  w.Field("face", Utf8(f.lfFaceName));
  w.Field("height", f.lfHeight);
  w.Field("weight", f.lfWeight);
  w.Field("italic", f.lfItalic);
  w.EndObject();
}

void WriteRect(CJsonStreamWriter& w, const CRect& r) {
  w.Key("rect");
  w.BeginObject();
  w.Field("left", r.left);
  w.Field("top", r.top);
  w.Field("right", r.right);
  w.Field("bottom", r.bottom);
  w.EndObject();
}

const char* TypeName(const CDEItemBase& item) {
  switch (item.GetItemType()) {
    case CDEFormBase::Field: return "field";
    case CDEFormBase::Text: return "text";
    case CDEFormBase::Roster: return "roster";
    default: return "group";
  }
}

// An item's number, null for one that is not numbered.
void WriteId(CJsonStreamWriter& w, std::string_view key, const FormItemIds& ids, const CDEItemBase* item) {
  const int id = item ? ids.IdOf(item) : -1;
  w.Key(key);
  if (id >= 0) {
    w.Integer(id);
  } else {
    w.Null();
  }
}

void WriteItem(CJsonStreamWriter& w, const CDEItemBase& item, const FormItemIds& ids) {
  w.BeginObject();
  WriteId(w, "id", ids, &item);
  w.Field("type", TypeName(item));
  w.Field("name", Utf8(item.GetName()));
  if (item.GetItemType() == CDEFormBase::Text) {
    auto& text = static_cast<const CDEText&>(item);
    w.Field("text", Utf8(text.GetText()));
    WriteRect(w, item.GetDims());
    w.Field("formNum", item.GetFormNum());
    WriteFont(w, "font", text.GetLogFont());
    w.EndObject();
    return;
  }
  w.Field("label", Utf8(item.GetLabel()));
  WriteRect(w, item.GetDims());
  w.Field("formNum", item.GetFormNum());
  if (item.GetItemType() == CDEFormBase::Field) {
    auto& field = static_cast<const CDEField&>(item);
    const CDEText& label = *field.GetDETextPtr();
    w.Field("itemName", Utf8(field.GetItemName()));
    w.Field("dict", Utf8(field.GetItemDict()));
    w.Field("occ", field.GetOcc());
    w.Field("enterKeyRequired", field.IsEnterKeyRequired());
    w.Field("protected", field.IsProtected());
    w.Key("labelText");
    w.BeginObject();
    w.Field("name", Utf8(label.GetName()));
    WriteRect(w, label.GetDims());
    WriteFont(w, "font", label.GetLogFont());
    w.EndObject();
    w.EndObject();
    return;
  }
  const CDEGroup* group = AsGroup(&item);
  w.Field("required", group->GetRequired());
  w.Field("maxLoops", group->GetMaxLoops());
  w.Key("items");
  w.BeginArray();
  for (int i = 0; i < group->GetNumItems() && w.Good(); ++i) WriteItem(w, *group->GetItem(i), ids);
  w.EndArray();
  w.EndObject();
}

void WriteForm(CJsonStreamWriter& w, const CDEForm& form, const FormItemIds& ids) {
  w.BeginObject();
  w.Field("name", Utf8(form.GetName()));
  w.Field("label", Utf8(form.GetLabel()));
  w.Field("level", form.GetLevel());
  WriteRect(w, form.GetDims());
  WriteId(w, "group", ids, form.GetGroup());
  w.Key("items");
  w.BeginArray();
  for (int i = 0; i < form.GetNumItems() && w.Good(); ++i) {
    const CDEItemBase* item = form.GetItem(i);
    if (form.OwnsItem(item)) {
      WriteItem(w, *item, ids);
    } else {
      w.BeginObject();
      WriteId(w, "ref", ids, item);
      w.EndObject();
    }
  }
  w.EndArray();
  w.EndObject();
}

}  // namespace

void WriteFormFileJson(const CDEFormFile& ff, CJsonStreamWriter& w) {
  FormItemIds ids = NumberItems(ff);
  w.BeginObject();
  w.Field("fileName", Utf8(ff.GetFileName()));
  w.Field("version", Utf8(ff.GetVersion()));
  w.Field("name", Utf8(ff.GetName()));
  w.Field("label", Utf8(ff.GetLabel()));
  w.Field("primaryDict", Utf8(ff.GetPrimaryDictName()));
  w.Field("pathOn", ff.IsPathOn());
  w.Field("convertRoster", ff.ConvertRoster());
  w.Key("dictionaries");
  w.BeginArray();
  for (int i = 0; i < ff.GetNumDicts(); ++i) w.String(Utf8(ff.GetDictName(i)));
  w.EndArray();
  WriteFont(w, "fieldFont", ff.GetDefFldLF());
  WriteFont(w, "textFont", ff.GetDefTxtLF());
  w.Key("levels");
  w.BeginArray();
  for (int l = 0; l < ff.GetNumLevels() && w.Good(); ++l) {
    const CDELevel* level = ff.GetLevel(l);
    w.BeginObject();
    w.Field("name", Utf8(level->GetName()));
    w.Field("label", Utf8(level->GetLabel()));
    w.Key("groups");
    w.BeginArray();
    for (int g = 0; g < level->GetNumGroups() && w.Good(); ++g) WriteItem(w, *level->GetGroup(g), ids);
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
  w.Key("forms");
  w.BeginArray();
  for (int f = 0; f < ff.GetNumForms() && w.Good(); ++f) WriteForm(w, *ff.GetForm(f), ids);
  w.EndArray();
  w.EndObject();
  w.Finish();
}

namespace {

// A text of the file, quoted as a terminal may show it.
std::string Quoted(const std::string& s) { return "\"" + VisibleText(s) + "\""; }

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
  std::string out = "Forms file " + VisibleText(ff.GetName()) + " " + Quoted(ff.GetLabel()) + ", version " +
                    Quoted(ff.GetVersion()) + "\n";
  out += "  primary dictionary " + VisibleText(ff.GetPrimaryDictName());
  for (int i = 0; i < ff.GetNumDicts(); ++i) out += (i == 0 ? "; files " : ", ") + VisibleText(ff.GetDictName(i));
  out += "\n  " + Plural(ff.GetNumLevels(), "level", "levels") + ", " + Plural(ff.GetNumForms(), "form", "forms") +
         ", " + Plural(counts[CDEFormBase::Group], "group", "groups") + ", " +
         Plural(counts[CDEFormBase::Roster], "roster", "rosters") + ", " +
         Plural(counts[CDEFormBase::Field], "field", "fields") + ", " +
         Plural(counts[CDEFormBase::Text], "text", "texts") + "\n";
  for (int l = 0; l < ff.GetNumLevels(); ++l) {
    const CDELevel* level = ff.GetLevel(l);
    out += "  level " + VisibleText(level->GetName()) + " " + Quoted(level->GetLabel()) + "\n";
    for (int g = 0; g < level->GetNumGroups(); ++g) {
      const CDEGroup* group = level->GetGroup(g);
      out += std::string("    ") + TypeName(*group) + " " + VisibleText(group->GetName()) + " " +
             Quoted(group->GetLabel()) + ", form " + std::to_string(group->GetFormNum()) + ", " +
             Plural(group->GetNumItems(), "item", "items") + (group->GetRequired() ? ", required" : "") + "\n";
    }
  }
  for (int f = 0; f < ff.GetNumForms(); ++f) {
    const CDEForm* form = ff.GetForm(f);
    const CRect& r = form->GetDims();
    out += "  form " + std::to_string(f) + " " + VisibleText(form->GetName()) + " " + Quoted(form->GetLabel()) +
           ", level " + std::to_string(form->GetLevel()) + ", " + std::to_string(r.Width()) + "x" +
           std::to_string(r.Height()) + ", " + Plural(form->GetNumItems(), "item", "items");
    if (form->GetGroup()) out += ", shows group " + VisibleText(form->GetGroup()->GetName());
    out += "\n";
  }
  return out;
}
