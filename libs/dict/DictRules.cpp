// CDDRuleMgr: the advisory checks of a dictionary (docs/dictionary-rules.md). It reads the
// dictionary only; every problem found becomes one sentence naming where it is.
#include <cstdint>
#include <string>
#include <unordered_map>

#include "libs/dict/DataDict.h"
#include "libs/dict/NameIndex.h"

namespace {

// Characters of a UTF-8 text (continuation bytes are not counted).
int64_t CharCount(const std::string& text) {
  int64_t count = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// A number text of a value pair: blanks around it, a sign, digits, and one '.' or ','
// with more digits.
struct NumberText {
  bool ok = false;
  bool negative = false;
  int64_t intDigits = 0;   // without leading zeros
  int64_t fracDigits = 0;
  double value = 0;
};

NumberText ParseNumber(const std::string& text) {
  NumberText n;
  size_t i = 0, end = text.size();
  while (i < end && text[i] == ' ') ++i;
  while (end > i && text[end - 1] == ' ') --end;
  if (i < end && (text[i] == '-' || text[i] == '+')) n.negative = text[i++] == '-';
  bool digits = false, seenNonZero = false, inFraction = false;
  double fraction = 0.1;
  for (; i < end; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits = true;
      if (inFraction) {
        ++n.fracDigits;
        n.value += (c - '0') * fraction;
        fraction /= 10;
      } else {
        seenNonZero = seenNonZero || c != '0';
        if (seenNonZero) ++n.intDigits;
        n.value = n.value * 10 + (c - '0');
      }
    } else if ((c == '.' || c == ',') && !inFraction) {
      inFraction = true;
    } else {
      return n;
    }
  }
  n.ok = digits;
  if (n.negative) n.value = -n.value;
  return n;
}

// Walks one dictionary and collects the problems of the checks asked for.
class Checker {
 public:
  Checker(const CDataDict& dict, std::vector<std::string>& problems) : dict_(dict), problems_(problems) {}

  void CheckNames() {
    CheckName(dict_.GetName(), "The dictionary");
    for (int l = 0; l < dict_.GetNumLevels(); ++l) {
      const CDictLevel& level = *dict_.GetLevel(l);
      CheckName(level.GetName(), LevelWhere(l));
      for (int r = -1; r < level.GetNumRecords(); ++r) {
        const CDictRecord& rec = RecordAt(level, r);
        if (r >= 0) CheckName(rec.GetName(), RecordWhere(l, r));
        for (int i = 0; i < rec.GetNumItems(); ++i) {
          const CDictItem& item = *rec.GetItem(i);
          const std::string where = ItemWhere(l, r, i);
          CheckName(item.GetName(), where);
          for (int v = 0; v < item.GetNumVSets(); ++v)
            CheckName(item.GetVSet(v)->GetName(), where + ", " + Named("value set", item.GetVSet(v)->GetName(), v));
        }
      }
    }
  }

  void CheckPositions() {
    const int typeLen = dict_.GetRecTypeLen();
    for (int l = 0; l < dict_.GetNumLevels(); ++l) {
      const CDictLevel& level = *dict_.GetLevel(l);
      for (int r = -1; r < level.GetNumRecords(); ++r) {
        const CDictRecord& rec = RecordAt(level, r);
        if (r >= 0 && typeLen > 0 && CharCount(rec.GetRecTypeVal()) > typeLen)
          Problem(RecordWhere(l, r) + ": record type value " + Quoted(rec.GetRecTypeVal()) +
                  " is longer than the record type length " + std::to_string(typeLen));
        CheckItemLayout(rec, l, r);
      }
    }
  }

  void CheckValues() {
    ForEachItem([&](const CDictItem& item, int l, int r, int i) {
      for (int s = 0; s < item.GetNumVSets(); ++s) {
        const CDictVSet& vset = *item.GetVSet(s);
        for (int v = 0; v < vset.GetNumValues(); ++v) {
          const CDictValue& value = *vset.GetValue(v);
          for (int p = 0; p < value.GetNumVPairs(); ++p) {
            const std::string where =
                ItemWhere(l, r, i) + ", " + Named("value set", vset.GetName(), s) + ", value " + std::to_string(v + 1);
            CheckPair(item, value, *value.GetVPair(p), where);
          }
        }
      }
    });
  }

 private:
  static const CDictRecord& RecordAt(const CDictLevel& level, int r) {
    return r < 0 ? *level.GetIdItemsRec() : *level.GetRecord(r);
  }

  template <typename F>
  void ForEachItem(F&& f) {
    for (int l = 0; l < dict_.GetNumLevels(); ++l) {
      const CDictLevel& level = *dict_.GetLevel(l);
      for (int r = -1; r < level.GetNumRecords(); ++r) {
        const CDictRecord& rec = RecordAt(level, r);
        for (int i = 0; i < rec.GetNumItems(); ++i) f(*rec.GetItem(i), l, r, i);
      }
    }
  }

  void Problem(std::string text) { problems_.push_back(std::move(text)); }

  std::string Named(const std::string& kind, const std::string& name, int index) const {
    return name.empty() ? kind + " " + std::to_string(index + 1) : kind + " " + name;
  }
  std::string LevelWhere(int l) const { return Named("Level", dict_.GetLevel(l)->GetName(), l); }
  std::string RecordWhere(int l, int r) const {
    const CDictLevel& level = *dict_.GetLevel(l);
    if (r < 0) return "Id items of " + Named("level", level.GetName(), l);
    return Named("Record", level.GetRecord(r)->GetName(), r);
  }
  std::string ItemWhere(int l, int r, int i) const {
    const CDictRecord& rec = RecordAt(*dict_.GetLevel(l), r);
    return RecordWhere(l, r) + ", " + Named("item", rec.GetItem(i)->GetName(), i);
  }

  void CheckName(const CVornString& name, const std::string& where) {
    if (name.empty()) {
      Problem(where + " has no name");
      return;
    }
    CVornString made = name;
    made.MakeName();
    if (made != name)
      Problem(where + ": " + Quoted(name) + " is not a valid name (it would be made " + Quoted(made) + ")");
    auto [it, inserted] = firstUse_.try_emplace(CDataDict::NameIndex::KeyOf(name), where);
    if (!inserted) Problem(where + ": the name " + Quoted(name) + " is already used by " + it->second);
  }

  void CheckItemLayout(const CDictRecord& rec, int l, int r) {
    const CDictItem* parent = nullptr;
    for (int i = 0; i < rec.GetNumItems(); ++i) {
      const CDictItem& item = *rec.GetItem(i);
      const std::string where = ItemWhere(l, r, i);
      const int64_t start = item.GetStart(), len = item.GetLen(), occurs = item.GetOccurs();
      const int64_t end = start + len * occurs - 1;
      bool sane = true;
      if (start < 1) sane = false, Problem(where + ": start " + std::to_string(start) + " is before column 1");
      if (len < 1) sane = false, Problem(where + ": length " + std::to_string(len) + " is not positive");
      if (occurs < 1) sane = false, Problem(where + ": occurrences " + std::to_string(occurs) + " is not positive");
      const int64_t room = len - (item.GetDecChar() && item.GetDecimal() > 0 ? 1 : 0);
      if (item.GetDecimal() < 0 || item.GetDecimal() > room)
        Problem(where + ": " + std::to_string(item.GetDecimal()) + " decimals do not fit the length " +
                std::to_string(len));
      if (sane && rec.GetRecLen() > 0 && end > rec.GetRecLen())
        Problem(where + ": ends at column " + std::to_string(end) + ", past the record length " +
                std::to_string(rec.GetRecLen()));
      if (item.GetItemType() != SubItem) {
        parent = &item;
        continue;
      }
      if (!parent) {
        Problem(where + ": a subitem with no item before it");
      } else if (sane) {
        const int64_t parentEnd = int64_t{parent->GetStart()} + parent->GetLen() - 1;
        if (start < parent->GetStart() || end > parentEnd)
          Problem(where + ": columns " + std::to_string(start) + "-" + std::to_string(end) +
                  " lie outside its item " + parent->GetName() + " (columns " + std::to_string(parent->GetStart()) +
                  "-" + std::to_string(parentEnd) + ")");
      }
    }
  }

  // Alpha values and special values (codes kept as the data field holds them) must fit
  // the item's columns; other numeric values must be numbers that fit.
  void CheckPair(const CDictItem& item, const CDictValue& value, const CDictVPair& pair, const std::string& where) {
    if (item.GetDataType() == AlphaType || value.IsSpecial()) {
      for (const CVornString* text : {&pair.GetFrom(), &pair.GetTo()})
        if (CharCount(*text) > item.GetLen())
          Problem(where + ": " + Quoted(*text) + " is longer than the item length " + std::to_string(item.GetLen()));
      return;
    }
    if (pair.GetFrom().IsBlank()) {
      Problem(where + ": a blank value of a numeric item that is not a special value");
      return;
    }
    NumberText from = CheckNumber(item, pair.GetFrom(), where);
    if (pair.GetTo().empty()) return;
    NumberText to = CheckNumber(item, pair.GetTo(), where);
    if (from.ok && to.ok && from.value > to.value)
      Problem(where + ": the range " + Quoted(pair.GetFrom()) + " to " + Quoted(pair.GetTo()) + " runs backwards");
  }

  NumberText CheckNumber(const CDictItem& item, const std::string& text, const std::string& where) {
    NumberText n = ParseNumber(text);
    if (!n.ok) {
      Problem(where + ": " + Quoted(text) + " is not a number");
      return n;
    }
    const int64_t decimals = item.GetDecimal() > 0 ? item.GetDecimal() : 0;
    const int64_t room = int64_t{item.GetLen()} - decimals - (item.GetDecChar() && decimals > 0 ? 1 : 0) -
                         (n.negative ? 1 : 0);
    if (n.fracDigits > decimals)
      Problem(where + ": " + Quoted(text) + " has more decimals than the item's " + std::to_string(decimals));
    else if (n.intDigits > room)
      Problem(where + ": " + Quoted(text) + " does not fit the item length " + std::to_string(item.GetLen()));
    return n;
  }

  const CDataDict& dict_;
  std::vector<std::string>& problems_;
  std::unordered_map<std::string, std::string> firstUse_;  // upper-cased name -> where first used
};

}  // namespace

bool CDDRuleMgr::IsValid(CDataDict* dict, bool bNames, bool bPositions, bool bValues) {
  m_aProblems.clear();
  if (!dict) dict = m_pDict;
  if (!dict) {
    m_aProblems.push_back("There is no dictionary to check");
    return false;
  }
  Checker checker(*dict, m_aProblems);
  if (bNames) checker.CheckNames();
  if (bPositions) checker.CheckPositions();
  if (bValues) checker.CheckValues();
  return m_aProblems.empty();
}

bool CDDRuleMgr::IsNameUnique(const CVornString& name, int level, int record, int item, int vset) const {
  return !m_pDict || m_pDict->IsNameUnique(name, level, record, item, vset);
}

CVornString CDDRuleMgr::GetUniqueName(const CVornString& name, int level, int record, int item, int vset) const {
  if (m_pDict) return m_pDict->GetUniqueName(name, level, record, item, vset);
  CVornString made = name;
  made.MakeName();
  return made;
}
