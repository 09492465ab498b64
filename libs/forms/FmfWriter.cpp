// Writing a forms file as .fmf text (docs/fmf-format.md). Texts are escaped as in .dcf files.
#include <charconv>

#include "libs/dict/DcfEscape.h"
#include "libs/forms/FormFile.h"
#include "libs/forms/FormWalk.h"

namespace {

class FmfWriter {
 public:
  explicit FmfWriter(const CDEFormFile& formFile) : ff_(formFile), ids_(NumberItems(formFile)) {}

  bool Write(std::string& text, std::string* error) {
    std::string why = Unwritable();
    if (!why.empty()) {
      if (error) *error = why;
      return false;
    }
    out_ = "Travo 4.0\n";
    Header();
    for (int l = 0; l < ff_.GetNumLevels(); ++l) Level(*ff_.GetLevel(l));
    for (int f = 0; f < ff_.GetNumForms(); ++f) Form(*ff_.GetForm(f));
    text = std::move(out_);
    return true;
  }

 private:
  // Why the model cannot be written, empty when it can.
  std::string Unwritable() const {
    if (ids_.tooDeep)
      return "groups are nested more than " + std::to_string(kMaxFmfNesting) + " deep";
    for (int f = 0; f < ff_.GetNumForms(); ++f) {
      const CDEForm* form = ff_.GetForm(f);
      if (form->GetGroup() && ids_.IdOf(form->GetGroup()) < 0)
        return "form '" + form->GetName() + "' shows group '" + form->GetGroup()->GetName() +
               "', which the forms file does not hold";
      for (int i = 0; i < form->GetNumItems(); ++i)
        if (ids_.IdOf(form->GetItem(i)) < 0)
          return "form '" + form->GetName() + "' shows item '" + form->GetItem(i)->GetName() +
                 "', which the forms file does not hold";
    }
    return {};
  }

  void Section(const char* name) {
    out_ += "\n[";
    out_ += name;
    out_ += "]\n";
  }
  void Key(const char* key) {
    out_ += key;
    out_ += '=';
  }
  void Text(const char* key, std::string_view value) {
    Key(key);
    dcf::AppendEscaped(out_, value, dcf::TextKind::Plain);
    out_ += '\n';
  }
  void AppendInt(int value) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
  }
  void Int(const char* key, int value) {
    Key(key);
    AppendInt(value);
    out_ += '\n';
  }
  void Bool(const char* key, bool value) {
    Key(key);
    out_ += value ? "Yes\n" : "No\n";
  }
  void Rect(const char* key, const CRect& r) {
    Key(key);
    for (int v : {r.left, r.top, r.right, r.bottom}) {
      AppendInt(v);
      out_ += ',';
    }
    out_.back() = '\n';
  }
  void Font(const char* key, const LOGFONT& f) {
    Key(key);
    AppendInt(f.lfHeight);
    out_ += ',';
    AppendInt(f.lfWeight);
    out_ += f.lfItalic ? ",Yes," : ",No,";
    dcf::AppendEscaped(out_, f.lfFaceName, dcf::TextKind::Plain);
    out_ += '\n';
  }

  void Header() {
    Section("FormFile");
    Text("Version", ff_.GetVersion());
    Text("Name", ff_.GetName());
    Text("Label", ff_.GetLabel());
    Text("FileName", ff_.GetFileName());
    Bool("PathOn", ff_.IsPathOn());
    Bool("ConvertRoster", ff_.ConvertRoster());
    Text("PrimaryDict", ff_.GetPrimaryDictName());
    Font("FieldFont", ff_.GetDefFldLF());
    Font("TextFont", ff_.GetDefTxtLF());
    Section("Dictionaries");
    for (int i = 0; i < ff_.GetNumDicts(); ++i) Text("File", ff_.GetDictName(i));
  }

  void Level(const CDELevel& level) {
    Section("Level");
    Text("Name", level.GetName());
    Text("Label", level.GetLabel());
    for (int g = 0; g < level.GetNumGroups(); ++g) Item(*level.GetGroup(g));
    Section("EndLevel");
  }

  void Form(const CDEForm& form) {
    Section("Form");
    Text("Name", form.GetName());
    Text("Label", form.GetLabel());
    Int("Level", form.GetLevel());
    Rect("Rect", form.GetDims());
    Key("Group");
    if (form.GetGroup()) AppendInt(ids_.IdOf(form.GetGroup()));
    out_ += '\n';
    bool inRefs = false;
    for (int i = 0; i < form.GetNumItems(); ++i) {
      const CDEItemBase* item = form.GetItem(i);
      bool owned = form.OwnsItem(item);
      if (owned) {
        Item(*item);
      } else {
        if (!inRefs) Section("Refs");
        Int("Item", ids_.IdOf(item));
      }
      inRefs = !owned;
    }
    Section("EndForm");
  }

  void Item(const CDEItemBase& item) {
    switch (item.GetItemType()) {
      case CDEFormBase::Field: return Field(static_cast<const CDEField&>(item));
      case CDEFormBase::Text: return TextItem(static_cast<const CDEText&>(item));
      default: return Group(*AsGroup(&item));
    }
  }

  void Common(const CDEItemBase& item) {
    Text("Name", item.GetName());
    Text("Label", item.GetLabel());
    Rect("Rect", item.GetDims());
    Int("FormNum", item.GetFormNum());
  }

  void Group(const CDEGroup& group) {
    bool roster = group.GetItemType() == CDEFormBase::Roster;
    Section(roster ? "Roster" : "Group");
    Common(group);
    Bool("Required", group.GetRequired());
    Int("MaxLoops", group.GetMaxLoops());
    for (int i = 0; i < group.GetNumItems(); ++i) Item(*group.GetItem(i));
    Section(roster ? "EndRoster" : "EndGroup");
  }

  void Field(const CDEField& field) {
    Section("Field");
    Common(field);
    Text("ItemName", field.GetItemName());
    Text("Dict", field.GetItemDict());
    Int("Occ", field.GetOcc());
    Bool("EnterKeyRequired", field.IsEnterKeyRequired());
    Bool("Protected", field.IsProtected());
    Text("TextName", field.GetDETextPtr()->GetName());
    Rect("TextRect", field.GetTextDims());
    Font("TextFont", field.GetDETextPtr()->GetLogFont());
  }

  void TextItem(const CDEText& text) {
    Section("Text");
    Text("Name", text.GetName());
    Text("Text", text.GetText());
    Rect("Rect", text.GetDims());
    Int("FormNum", text.GetFormNum());
    Font("Font", text.GetLogFont());
  }

  const CDEFormFile& ff_;
  FormItemIds ids_;
  std::string out_;
};

}  // namespace

bool FmfToText(const CDEFormFile& formFile, std::string& text, std::string* error) {
  return FmfWriter(formFile).Write(text, error);
}
