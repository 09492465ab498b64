// Reading .fmf text into a forms file (docs/fmf-format.md). One pass over the lines with
// an explicit stack of open sections; references between forms and items are resolved at
// the end. Nothing here recurses on the input, and nesting is limited to kMaxFmfNesting.
#include <charconv>
#include <string>
#include <vector>

#include "libs/dict/DcfEscape.h"
#include "libs/forms/FormFile.h"

namespace {

enum class Sec { None, FormFile, Dictionaries, Level, EndLevel, Form, EndForm, Group, EndGroup, Roster,
                 EndRoster, Field, Text, Refs };

struct SectionName {
  const char* name;
  Sec kind;
};
constexpr SectionName kSections[] = {
    {"FormFile", Sec::FormFile}, {"Dictionaries", Sec::Dictionaries}, {"Level", Sec::Level},
    {"EndLevel", Sec::EndLevel}, {"Form", Sec::Form},                 {"EndForm", Sec::EndForm},
    {"Group", Sec::Group},       {"EndGroup", Sec::EndGroup},         {"Roster", Sec::Roster},
    {"EndRoster", Sec::EndRoster}, {"Field", Sec::Field},             {"Text", Sec::Text},
    {"Refs", Sec::Refs}};

const char* NameOf(Sec kind) {
  for (const auto& s : kSections)
    if (s.kind == kind) return s.name;
  return "";
}

bool ParseInt(std::string_view text, int& value) {
  if (text.empty() || text[0] == '+') return false;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Splits text at its first `count` commas; the last piece keeps any further commas.
bool SplitCommas(std::string_view text, size_t count, std::vector<std::string_view>& pieces) {
  pieces.clear();
  for (size_t i = 0; i < count; ++i) {
    size_t comma = text.find(',');
    if (comma == std::string_view::npos) return false;
    pieces.push_back(text.substr(0, comma));
    text.remove_prefix(comma + 1);
  }
  pieces.push_back(text);
  return true;
}

}  // namespace

class FmfReader {
 public:
  bool Read(std::string_view text, CDEFormFile& target, std::string* error) {
    if (!ReadLines(text)) {
      if (error) *error = error_;
      return false;
    }
    target.TakeContentFrom(file_);
    return true;
  }

 private:
  struct Frame {
    Sec kind;
    int line;
    CDELevel* level = nullptr;
    CDEForm* form = nullptr;
    CDEGroup* group = nullptr;
  };
  // An item the form shows: one it owns (read in full inside it) or a reference.
  struct FormEntry {
    std::unique_ptr<CDEItemBase> owned;
    int ref = -1;
    int line = 0;
  };
  struct PendingForm {
    CDEForm* form;
    std::vector<FormEntry> entries;
    int groupRef = -1;
    int groupLine = 0;
  };

  bool Fail(int line, const std::string& why) {
    error_ = "line " + std::to_string(line) + ": " + why;
    return false;
  }

  bool ReadLines(std::string_view text) {
    int line = 0;
    while (!text.empty()) {
      ++line;
      size_t end = text.find('\n');
      std::string_view raw = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      if (line == 1 && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
      if (line == 1) {
        if (raw != "Travo 4.0") return Fail(1, "not a Travo forms file (the first line must be \"Travo 4.0\")");
        continue;
      }
      if (!Line(raw, line)) return false;
    }
    if (line == 0) return Fail(1, "not a Travo forms file (the file is empty)");
    if (!stack_.empty())
      return Fail(stack_.back().line, std::string("[") + NameOf(stack_.back().kind) + "] is never closed");
    if (!sawFormFile_) return Fail(line, "the file has no [FormFile] section");
    return ResolveForms();
  }

  bool Line(std::string_view raw, int line) {
    lineOf_ = line;
    if (raw.find_first_not_of(" \t") == std::string_view::npos) return true;
    if (raw[0] == '[') {
      if (raw.back() != ']') return Fail(line, "a section header must end with ']'");
      return StartSection(raw.substr(1, raw.size() - 2), line);
    }
    size_t equals = raw.find('=');
    if (equals == std::string_view::npos || equals == 0) return Fail(line, "expected [Section] or Key=value");
    if (current_ == Sec::None) return Fail(line, "a key before the first section");
    std::string key(raw.substr(0, equals));
    std::string_view value = raw.substr(equals + 1);
    bool repeatable = key == "File" || key == "Item";
    if (!repeatable) {
      for (const auto& seen : seen_)
        if (seen == key)
          return Fail(line, "key '" + dcf::Excerpt(key) + "' appears twice in [" + NameOf(current_) + "]");
      seen_.push_back(key);
    }
    std::string why;
    int known = ApplyKey(key, value, why);
    if (known == 0) return Fail(line, "unknown key '" + dcf::Excerpt(key) + "' in [" + NameOf(current_) + "]");
    if (known < 0) return Fail(line, "bad value for " + key + ": " + why);
    return true;
  }

  // ---- sections ----

  int GroupDepth() const {
    int depth = 0;
    for (const Frame& f : stack_) depth += f.kind == Sec::Group || f.kind == Sec::Roster;
    return depth;
  }

  bool StartSection(std::string_view name, int line) {
    Sec kind = Sec::None;
    for (const auto& s : kSections)
      if (name == s.name) kind = s.kind;
    if (kind == Sec::None) return Fail(line, "unknown section [" + dcf::Excerpt(name) + "]");
    if (kind != Sec::FormFile && !sawFormFile_) return Fail(line, "the first section must be [FormFile]");
    current_ = kind;
    seen_.clear();
    item_ = nullptr;
    Sec top = stack_.empty() ? Sec::None : stack_.back().kind;
    auto misplaced = [&](const char* where) {
      return Fail(line, "[" + std::string(name) + "] must stand " + where);
    };
    switch (kind) {
      case Sec::FormFile:
        if (sawFormFile_) return Fail(line, "a second [FormFile] section");
        sawFormFile_ = true;
        return true;
      case Sec::Dictionaries:
        if (top != Sec::None) return misplaced("outside levels and forms");
        if (sawDicts_) return Fail(line, "a second [Dictionaries] section");
        sawDicts_ = true;
        return true;
      case Sec::Level: {
        if (top != Sec::None) return misplaced("outside levels and forms");
        level_ = new CDELevel;
        file_.AddLevel(level_);
        stack_.push_back({kind, line, level_});
        return true;
      }
      case Sec::Form: {
        if (top != Sec::None) return misplaced("outside levels and forms");
        form_ = new CDEForm;
        file_.AddForm(form_);
        forms_.push_back({form_, {}, -1, 0});
        stack_.push_back({kind, line, nullptr, form_});
        return true;
      }
      case Sec::Refs:
        if (top != Sec::Form) return misplaced("directly inside a [Form]");
        return true;
      case Sec::Group:
      case Sec::Roster:
      case Sec::Field:
      case Sec::Text:
        return StartItem(kind, top, line);
      default:
        return EndSection(kind, top, line);
    }
  }

  bool StartItem(Sec kind, Sec top, int line) {
    bool inGroup = top == Sec::Group || top == Sec::Roster;
    bool isGroup = kind == Sec::Group || kind == Sec::Roster;
    if (!(inGroup || top == Sec::Form || (top == Sec::Level && isGroup)))
      return Fail(line, std::string("[") + NameOf(kind) +
                            (isGroup ? "] must stand inside a [Level], [Form], [Group] or [Roster]"
                                     : "] must stand inside a [Form], [Group] or [Roster]"));
    if (GroupDepth() >= kMaxFmfNesting)
      return Fail(line, "groups are nested more than " + std::to_string(kMaxFmfNesting) + " deep");
    CDEGroup* group = nullptr;
    CDEItemBase* item;
    if (kind == Sec::Field) {
      item = new CDEField;
    } else if (kind == Sec::Text) {
      item = new CDEText;
    } else {
      group = kind == Sec::Roster ? new CDERoster2 : new CDEGroup;
      item = group;
    }
    const Frame& parent = stack_.back();
    if (top == Sec::Level)
      parent.level->AddGroup(group);
    else if (inGroup)
      parent.group->AddItem(item);
    else
      forms_.back().entries.push_back({std::unique_ptr<CDEItemBase>(item), -1, line});
    byId_.push_back(item);
    item_ = item;
    if (group) stack_.push_back({kind, line, nullptr, nullptr, group});
    return true;
  }

  bool EndSection(Sec kind, Sec top, int line) {
    Sec opener = kind == Sec::EndLevel  ? Sec::Level
                 : kind == Sec::EndForm ? Sec::Form
                 : kind == Sec::EndGroup ? Sec::Group
                                         : Sec::Roster;
    if (top != opener) {
      std::string why = std::string("[") + NameOf(kind) + "] without an open [" + NameOf(opener) + "]";
      if (top != Sec::None) why += std::string(" (the open section is [") + NameOf(top) + "])";
      return Fail(line, why);
    }
    stack_.pop_back();
    return true;
  }

  // ---- keys: 1 applied, 0 unknown here, -1 bad value (why says what) ----

  int ApplyKey(const std::string& key, std::string_view value, std::string& why) {
    switch (current_) {
      case Sec::FormFile: return FormFileKey(key, value, why);
      case Sec::Dictionaries:
        if (key != "File") return 0;
        return TextValue(value, why, [&](const std::string& s) { file_.AddDict(s); });
      case Sec::Level:
        if (key == "Name") return TextValue(value, why, [&](const std::string& s) { level_->SetName(s); });
        if (key == "Label") return TextValue(value, why, [&](const std::string& s) { level_->SetLabel(s); });
        return 0;
      case Sec::Form: return FormKey(key, value, why);
      case Sec::Refs: {
        if (key != "Item") return 0;
        int id;
        if (!ParseInt(value, id) || id < 0) return Bad(why, "expected an item number");
        forms_.back().entries.push_back({nullptr, id, lineOf_});
        return 1;
      }
      case Sec::Group:
      case Sec::Roster: return GroupKey(key, value, why);
      case Sec::Field: return FieldKey(key, value, why);
      case Sec::Text: return TextKey(key, value, why);
      default: return 0;
    }
  }

  static int Bad(std::string& why, const char* what) {
    why = what;
    return -1;
  }

  template <class Set>
  static int TextValue(std::string_view value, std::string& why, Set set) {
    std::string text;
    if (!dcf::Unescape(value, text, &why)) return -1;
    set(text);
    return 1;
  }
  template <class Set>
  static int IntValue(std::string_view value, std::string& why, Set set) {
    int n;
    if (!ParseInt(value, n)) return Bad(why, "expected a whole number");
    set(n);
    return 1;
  }
  template <class Set>
  static int BoolValue(std::string_view value, std::string& why, Set set) {
    if (value != "Yes" && value != "No") return Bad(why, "expected Yes or No");
    set(value == "Yes");
    return 1;
  }
  template <class Set>
  static int RectValue(std::string_view value, std::string& why, Set set) {
    std::vector<std::string_view> p;
    CRect r;
    if (!SplitCommas(value, 3, p) || !ParseInt(p[0], r.left) || !ParseInt(p[1], r.top) ||
        !ParseInt(p[2], r.right) || !ParseInt(p[3], r.bottom))
      return Bad(why, "expected left,top,right,bottom");
    set(r);
    return 1;
  }
  template <class Set>
  static int FontValue(std::string_view value, std::string& why, Set set) {
    std::vector<std::string_view> p;
    LOGFONT f;
    if (!SplitCommas(value, 3, p) || !ParseInt(p[0], f.lfHeight) || !ParseInt(p[1], f.lfWeight) ||
        (p[2] != "Yes" && p[2] != "No"))
      return Bad(why, "expected height,weight,Yes|No,face");
    f.lfItalic = p[2] == "Yes";
    if (!dcf::Unescape(p[3], f.lfFaceName, &why)) return -1;
    set(f);
    return 1;
  }

  int FormFileKey(const std::string& key, std::string_view value, std::string& why) {
    CDEFormFile& ff = file_;
    auto text = [&](void (CDEFormFile::*set)(const CVornString&)) {
      return TextValue(value, why, [&](const std::string& s) { (ff.*set)(s); });
    };
    if (key == "Version") return text(&CDEFormFile::SetVersion);
    if (key == "Name") return text(&CDEFormFile::SetName);
    if (key == "Label") return text(&CDEFormFile::SetLabel);
    if (key == "FileName") return text(&CDEFormFile::SetFileName);
    if (key == "PrimaryDict") return text(&CDEFormFile::SetPrimaryDictName);
    if (key == "PathOn") return BoolValue(value, why, [&](bool b) { ff.IsPathOn(b); });
    if (key == "ConvertRoster") return BoolValue(value, why, [&](bool b) { ff.ConvertRoster(b); });
    if (key == "FieldFont") return FontValue(value, why, [&](const LOGFONT& f) { ff.SetDefFldLF(f); });
    if (key == "TextFont") return FontValue(value, why, [&](const LOGFONT& f) { ff.SetDefTxtLF(f); });
    return 0;
  }

  // Name, Label and Rect, which forms and items share.
  static int BaseKey(CDEFormBase& object, const std::string& key, std::string_view value, std::string& why) {
    if (key == "Name") return TextValue(value, why, [&](const std::string& s) { object.SetName(s); });
    if (key == "Label") return TextValue(value, why, [&](const std::string& s) { object.SetLabel(s); });
    if (key == "Rect") return RectValue(value, why, [&](const CRect& r) { object.SetDims(r); });
    return 0;
  }

  int FormKey(const std::string& key, std::string_view value, std::string& why) {
    if (key == "Level") return IntValue(value, why, [&](int n) { form_->SetLevel(n); });
    if (key == "Group") {
      PendingForm& pending = forms_.back();
      pending.groupLine = lineOf_;
      if (value.empty()) return 1;
      if (!ParseInt(value, pending.groupRef) || pending.groupRef < 0) return Bad(why, "expected a group number");
      return 1;
    }
    return BaseKey(*form_, key, value, why);
  }

  int ItemKey(const std::string& key, std::string_view value, std::string& why) {
    if (key == "FormNum") return IntValue(value, why, [&](int n) { item_->SetFormNum(n); });
    return BaseKey(*item_, key, value, why);
  }

  int GroupKey(const std::string& key, std::string_view value, std::string& why) {
    auto* group = static_cast<CDEGroup*>(item_);
    if (key == "Required") return BoolValue(value, why, [&](bool b) { group->SetRequired(b); });
    if (key == "MaxLoops") return IntValue(value, why, [&](int n) { group->SetMaxLoops(n); });
    return ItemKey(key, value, why);
  }

  int FieldKey(const std::string& key, std::string_view value, std::string& why) {
    auto* field = static_cast<CDEField*>(item_);
    CDEText* text = field->GetDETextPtr();
    if (key == "ItemName") return TextValue(value, why, [&](const std::string& s) { field->SetItemName(s); });
    if (key == "Dict") return TextValue(value, why, [&](const std::string& s) { field->SetItemDict(s); });
    if (key == "Occ") return IntValue(value, why, [&](int n) { field->SetOcc(n); });
    if (key == "EnterKeyRequired") return BoolValue(value, why, [&](bool b) { field->SetEnterKeyRequired(b); });
    if (key == "Protected") return BoolValue(value, why, [&](bool b) { field->SetProtected(b); });
    if (key == "TextName") return TextValue(value, why, [&](const std::string& s) { text->SetName(s); });
    if (key == "TextRect") return RectValue(value, why, [&](const CRect& r) { text->SetDims(r); });
    if (key == "TextFont") return FontValue(value, why, [&](const LOGFONT& f) { text->SetLogfont(f); });
    return ItemKey(key, value, why);
  }

  int TextKey(const std::string& key, std::string_view value, std::string& why) {
    auto* text = static_cast<CDEText*>(item_);
    if (key == "Label") return 0;  // a text's label is its Text
    if (key == "Text") return TextValue(value, why, [&](const std::string& s) { text->SetText(s); });
    if (key == "Font") return FontValue(value, why, [&](const LOGFONT& f) { text->SetLogfont(f); });
    return ItemKey(key, value, why);
  }

  // ---- references ----

  bool ResolveForms() {
    const int count = static_cast<int>(byId_.size());
    for (PendingForm& pending : forms_) {
      CDEForm* form = pending.form;
      for (FormEntry& entry : pending.entries) {
        CDEItemBase* item;
        if (entry.owned) {
          item = entry.owned.release();
          form->Adopt(item);
        } else {
          if (entry.ref >= count)
            return Fail(entry.line, "item " + std::to_string(entry.ref) + " does not exist (the file has " +
                                        std::to_string(count) + " items)");
          item = byId_[entry.ref];
        }
        if (!form->m_setItems.insert(item).second)
          return Fail(entry.line, "item " + std::to_string(entry.ref) + " is already on this form");
        form->m_aItems.push_back(item);
      }
      if (pending.groupRef >= 0) {
        if (pending.groupRef >= count || !byId_[pending.groupRef]->HoldsItems())
          return Fail(pending.groupLine, "item " + std::to_string(pending.groupRef) + " is not a group");
        form->SetGroup(static_cast<CDEGroup*>(byId_[pending.groupRef]));
      }
    }
    return true;
  }

  CDEFormFile file_;
  std::vector<PendingForm> forms_;  // after file_: pending items go before the forms
  std::vector<Frame> stack_;
  std::vector<CDEItemBase*> byId_;  // every item section, in file order
  Sec current_ = Sec::None;
  std::vector<std::string> seen_;  // keys of the current section
  CDELevel* level_ = nullptr;
  CDEForm* form_ = nullptr;
  CDEItemBase* item_ = nullptr;
  int lineOf_ = 0;  // the line being read, for entries resolved later
  bool sawFormFile_ = false;
  bool sawDicts_ = false;
  std::string error_;
};

bool FmfFromText(std::string_view text, CDEFormFile& formFile, std::string* error) {
  return FmfReader().Read(text, formFile, error);
}
