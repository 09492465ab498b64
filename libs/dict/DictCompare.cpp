// Compares two dictionaries object by object; each object's fields as its field list says.
#include "libs/dict/DictCompare.h"

#include <algorithm>

#include "libs/dict/DataDict.h"
#include "libs/dict/DictFields.h"
#include "libs/util/TextTools.h"

namespace {

constexpr const char* kNone = "(none)";

// The fields of T that compare looks at, in the order it lists them.
template <typename T>
const std::vector<const DictField<T>*>& CompareOrder() {
  static const std::vector<const DictField<T>*> order = [] {
    std::vector<const DictField<T>*> fields;
    for (const DictField<T>& field : FieldsOf<T>()) {
      if (!field.compare.empty()) fields.push_back(&field);
    }
    std::stable_sort(fields.begin(), fields.end(),
                     [](const DictField<T>* x, const DictField<T>* y) { return x->compareRank < y->compareRank; });
    return fields;
  }();
  return order;
}

class Differ {
 public:
  std::vector<DictDifference> out;

  void Dictionary(const CDataDict& a, const CDataDict& b) {
    Fields("DICTIONARY", a, b);
    const int levels = std::max(a.GetNumLevels(), b.GetNumLevels());
    for (int l = 0; l < levels; ++l) {
      const CDictLevel* la = l < a.GetNumLevels() ? a.GetLevel(l) : nullptr;
      const CDictLevel* lb = l < b.GetNumLevels() ? b.GetLevel(l) : nullptr;
      const std::string path = std::string(la ? la->GetName() : lb->GetName());
      if (!la || !lb) {
        Presence(path, "level", la != nullptr);
        continue;
      }
      Level(path, *la, *lb);
    }
  }

 private:
  void Differs(const std::string& path, std::string_view what, std::string a, std::string b, bool text = false) {
    if (a != b) out.push_back({path, std::string(what), std::move(a), std::move(b), text});
  }
  void Presence(const std::string& path, const char* what, bool inA) {
    out.push_back({path, what, inA ? "present" : kNone, inA ? kNone : "present"});
  }

  template <typename T>
  void Field(const std::string& path, const DictField<T>& field, const T& a, const T& b) {
    if (field.compareText) return Differs(path, field.compare, field.compareText(a), field.compareText(b));
    if (field.kind == FieldKind::Text) return Differs(path, field.compare, field.text(a), field.text(b), true);
    const int na = field.number(a), nb = field.number(b);
    if (na == nb) return;
    switch (field.kind) {
      case FieldKind::Flag: return Differs(path, field.compare, na ? "yes" : "no", nb ? "yes" : "no");
      case FieldKind::Choice:
        return Differs(path, field.compare, std::string(field.words->compare[na]),
                       std::string(field.words->compare[nb]));
      default: return Differs(path, field.compare, std::to_string(na), std::to_string(nb));
    }
  }

  template <typename T>
  void Fields(const std::string& path, const T& a, const T& b) {
    for (const DictField<T>* field : CompareOrder<T>()) {
      if (!field->compareWhen || field->compareWhen(a, b)) Field(path, *field, a, b);
    }
  }

  void Level(const std::string& path, const CDictLevel& a, const CDictLevel& b) {
    Fields(path, a, b);
    // The id items are one record of the level whatever their record's name.
    Record(path + "/(id items)", *a.GetIdItemsRec(), *b.GetIdItemsRec(), true);
    std::vector<bool> taken(b.GetNumRecords(), false);
    for (int r = 0; r < a.GetNumRecords(); ++r) {
      const CDictRecord& ra = *a.GetRecord(r);
      const int match = Find(b, ra.GetName(), taken);
      const std::string rp = path + "/" + std::string(ra.GetName());
      if (match < 0) {
        Presence(rp, "record", true);
        continue;
      }
      taken[match] = true;
      Record(rp, ra, *b.GetRecord(match), false);
    }
    for (int r = 0; r < b.GetNumRecords(); ++r) {
      if (!taken[r]) Presence(path + "/" + std::string(b.GetRecord(r)->GetName()), "record", false);
    }
  }

  // The first record (or item) of the given name not taken yet; -1 when there is none.
  static int Find(const CDictLevel& level, const std::string& name, const std::vector<bool>& taken) {
    for (int r = 0; r < level.GetNumRecords(); ++r) {
      if (!taken[r] && std::string(level.GetRecord(r)->GetName()) == name) return r;
    }
    return -1;
  }
  static int Find(const CDictRecord& record, const std::string& name, const std::vector<bool>& taken) {
    for (int i = 0; i < record.GetNumItems(); ++i) {
      if (!taken[i] && std::string(record.GetItem(i)->GetName()) == name) return i;
    }
    return -1;
  }

  void Record(const std::string& path, const CDictRecord& a, const CDictRecord& b, bool idItems) {
    if (!idItems) Fields(path, a, b);
    std::vector<bool> taken(b.GetNumItems(), false);
    for (int i = 0; i < a.GetNumItems(); ++i) {
      const CDictItem& ia = *a.GetItem(i);
      const std::string ip = path + "/" + std::string(ia.GetName());
      const int match = Find(b, ia.GetName(), taken);
      if (match < 0) {
        Presence(ip, "item", true);
        continue;
      }
      taken[match] = true;
      Item(ip, ia, *b.GetItem(match));
    }
    for (int i = 0; i < b.GetNumItems(); ++i) {
      if (!taken[i]) Presence(path + "/" + std::string(b.GetItem(i)->GetName()), "item", false);
    }
  }

  void Item(const std::string& path, const CDictItem& a, const CDictItem& b) {
    Fields(path, a, b);
    const int sets = std::max(a.GetNumVSets(), b.GetNumVSets());
    for (int s = 0; s < sets; ++s) {
      const CDictVSet* sa = s < a.GetNumVSets() ? a.GetVSet(s) : nullptr;
      const CDictVSet* sb = s < b.GetNumVSets() ? b.GetVSet(s) : nullptr;
      const std::string sp = path + "/" + std::string(sa ? sa->GetName() : sb->GetName());
      if (!sa || !sb) {
        Presence(sp, "value set", sa != nullptr);
        continue;
      }
      VSet(sp, *sa, *sb);
    }
  }

  void VSet(const std::string& path, const CDictVSet& a, const CDictVSet& b) {
    Fields(path, a, b);
    const int values = std::max(a.GetNumValues(), b.GetNumValues());
    for (int v = 0; v < values; ++v) {
      const CDictValue* va = v < a.GetNumValues() ? a.GetValue(v) : nullptr;
      const CDictValue* vb = v < b.GetNumValues() ? b.GetValue(v) : nullptr;
      const std::string vp = path + "/" + ValueName(va ? *va : *vb);
      if (!va || !vb) {
        Presence(vp, "value", va != nullptr);
        continue;
      }
      Fields(vp, *va, *vb);
    }
  }

  // A value is named by its first from-value (its label when it has none).
  static std::string ValueName(const CDictValue& value) {
    if (value.GetNumVPairs() > 0) return std::string(value.GetVPair(0)->GetFrom());
    return std::string(value.GetLabel());
  }
};

}  // namespace

std::vector<DictDifference> CompareDictionaries(const CDataDict& a, const CDataDict& b) {
  Differ differ;
  differ.Dictionary(a, b);
  return std::move(differ.out);
}

std::string FormatDifference(const DictDifference& d) {
  const std::string q = d.text ? "\"" : "";
  return VisibleText(d.path + ": " + d.what + " " + q + d.a + q + " vs " + q + d.b + q);
}
