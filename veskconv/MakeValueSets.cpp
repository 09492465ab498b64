// The value set of an item made from a VESK variable, from its value ranges, the value
// labels in its label text and, for a numeric variable, its missing, not-applicable and
// default codes. Where a variable has both ranges and labelled values, the labelled values
// are cut out of the ranges, so that every value is an unlabelled range or a labelled
// single value.
#include <algorithm>
#include <cmath>
#include <compare>
#include <cstdlib>
#include <memory>

#include "libs/util/Host.h"
#include "veskconv/VeskVornConv.h"

namespace {

// Value labels read after a variable's own label, at the most.
constexpr int kMaxValueLabels = 1000;
constexpr int kValueWidth = 5;
constexpr int kLabelWidth = 60;

// A number as every pair of the variable writes it: %.<decimals>f.
CString FormatNumber(double x, int decimals) {
  CString text;
  text.Format("%.*f", decimals, x);
  return text;
}

// The number a labelled value stands for: BLANK for a text that starts with a blank.
double ValueNumber(const CVeskValue& value) {
  return !value.m_sValue.empty() && value.m_sValue[0] == ' ' ? BLANK : std::atof(value.m_sValue.c_str());
}

void TrimLeadingBlanks(CString& s) { s.erase(0, s.find_first_not_of(' ')); }
void TrimTrailingBlanks(CString& s) { s.erase(s.find_last_not_of(' ') + 1); }

// Owns the list ReadValueLabels makes and every entry in it.
struct ValueLabels {
  std::unique_ptr<std::vector<CVeskValue*>> list;
  ~ValueLabels() {
    if (list)
      for (CVeskValue* entry : *list) delete entry;
  }
};

}  // namespace

void CVeskVornConv::MakeValueSet(CDictItem* item, Var* var, Lab* lab) {
  CString name;
  name.Format("%s_VS%d", item->GetName().c_str(), item->GetNumVSets() + 1);
  const CString label = item->GetLabel();
  CDictVSet* vset = Own(new CDictVSet);
  const bool hasRanges = var->cats && var->cats->count > 0;
  int specials = 0;
  ValueLabels labels{std::unique_ptr<std::vector<CVeskValue*>>(ReadValueLabels(var, lab, &specials))};
  const bool hasLabels = !labels.list->empty();
  const int decimals = var->decimals;

  if (hasLabels && !hasRanges) {
    NameValueSet(vset, name, label);
    vset->ReserveValues(static_cast<int>(labels.list->size()));
    for (CVeskValue* entry : *labels.list) {
      CDictValue* value = Own(new CDictValue);
      AddValuePair(&entry->m_sValue, nullptr, &entry->m_sLabel, value);
      if (!entry->m_sSpecial.IsEmpty()) MarkSpecial(entry->m_sSpecial, value);
      vset->AddValue(std::move(*value));
    }
    item->AddVSet(std::move(*vset));
  } else if (hasRanges && !hasLabels) {
    NameValueSet(vset, name, label);
    vset->ReserveValues(var->cats->count);
    for (uint16_t r = 0; r < var->cats->count; ++r) {
      const Rng* range = static_cast<const Rng*>((*var->cats)[r]);
      CDictValue* value = Own(new CDictValue);
      const CString from = FormatNumber(range->lo, decimals);
      const CString to = FormatNumber(range->hi, decimals);
      AddValuePair(&from, &to, nullptr, value);
      vset->AddValue(std::move(*value));
    }
    item->AddVSet(std::move(*vset));
  } else if (hasRanges && hasLabels) {
    m_aRanges.clear();
    for (uint16_t r = 0; r < var->cats->count; ++r) {
      const Rng* range = static_cast<const Rng*>((*var->cats)[r]);
      m_aRanges.push_back({range->lo, range->hi});
    }
    const double eps = std::pow(10.0, -decimals);
    for (const CVeskValue* entry : *labels.list) {
      double x = ValueNumber(*entry);
      CutPoint(&x, eps);
    }
    // A total order, so that a range of NaN numbers cannot upset the sort.
    std::stable_sort(m_aRanges.begin(), m_aRanges.end(), [](const CRange<double>& a, const CRange<double>& b) {
      return std::strong_order(a.low, b.low) < 0;
    });
    NameValueSet(vset, name, label);
    vset->ReserveValues(static_cast<int>(m_aRanges.size()));
    for (const CRange<double>& range : m_aRanges) {
      CDictValue* value = Own(new CDictValue);
      CString from = FormatNumber(range.low, decimals);
      CString to = FormatNumber(range.high, decimals);
      CString valueLabel;
      if (range.high == range.low) {
        if (const CVeskValue* entry = FindValueLabel(labels.list.get(), range.low)) {
          valueLabel = entry->m_sLabel;
          if (!entry->m_sSpecial.IsEmpty()) {
            MarkSpecial(entry->m_sSpecial, value);
            if (range.low == BLANK) {
              from = entry->m_sValue;
              to.Empty();
            }
          }
        }
      }
      AddValuePair(&from, &to, &valueLabel, value);
      vset->AddValue(std::move(*value));
    }
    item->AddVSet(std::move(*vset));
    m_aRanges.clear();
  }
  // Neither: the item gets no value set. The owned pairs, values and sets were moved into
  // their containers: once added they are not read again, and copies would only double
  // the memory a large dictionary takes.
}

std::vector<CVeskValue*>* CVeskVornConv::ReadValueLabels(Var* var, Lab* lab, int* count) {
  ValueLabels owner{std::make_unique<std::vector<CVeskValue*>>()};
  std::vector<CVeskValue*>* list = owner.list.get();
  *count = 0;
  const bool numeric = var->varType == 'N';
  // Without label text every read gives blanks, so no labelled value is read.
  const char* cursor = lab && lab->text ? lab->text + 2 : nullptr;
  auto readLine = [&](char* dst, int width) {
    if (lab)
      cursor = lab->GetLabel(dst, cursor, width);
    else
      Lab::cleanstr(dst, width);
  };
  char valueText[kValueWidth + 1];
  char labelText[kLabelWidth + 1];
  auto readPair = [&]() {
    readLine(valueText, kValueWidth);
    readLine(labelText, kLabelWidth);
  };
  readLine(labelText, kLabelWidth);  // the variable's own label
  readPair();

  for (int n = 0; n < kMaxValueLabels; ++n) {
    CString value = valueText;
    CString label = labelText;
    TrimTrailingBlanks(value);
    TrimTrailingBlanks(label);
    TrimLeadingBlanks(value);
    // A label beside a value keeps its leading blanks.
    if (value.IsEmpty()) TrimLeadingBlanks(label);
    if (value.IsEmpty() && label.IsEmpty()) break;

    auto entry = std::make_unique<CVeskValue>();
    if (!numeric) {
      if (value.Find('\'') >= 0 && value.Find('"') >= 0) {
        CString message;
        message.Format("Invalid string (%s). Only one class of apostrophe is allowed in Var '%s' Dic '%s'",
                       value.c_str(), VarName(var).c_str(), DicNameOf(var).c_str());
        message.MessageBoxA(MB_OK);
        value.Replace('"', '\'');
      }
      entry->m_sValue.Format("%-*s", static_cast<int>(var->len), value.c_str());
    } else {
      entry->m_sValue = value;
    }
    OemToAnsi(label);
    entry->m_sLabel = label;
    list->push_back(entry.release());
    readPair();
  }

  if (numeric) {
    struct Code {
      double code;
      const char* label;
      const char* special;
    };
    const Code codes[] = {{var->missing, "Missing", "MISSING"},
                          {var->notAppl, "NotAppl", "NOTAPPL"},
                          {var->dflt, "Default", "DEFAULT"}};
    for (const Code& code : codes) {
      // The markers themselves mean that no code is defined.
      const bool blank = code.code == BLANK;
      if (!(code.code < MARKER_MIN) && !blank) continue;
      auto entry = std::make_unique<CVeskValue>();
      if (blank)
        entry->m_sValue.Format("%*s", static_cast<int>(var->len), "");
      else
        entry->m_sValue = FormatNumber(code.code, var->decimals);
      entry->m_sLabel = code.label;
      entry->m_sSpecial = code.special;
      ++*count;
      list->push_back(entry.release());
    }
  }
  return owner.list.release();
}

void CVeskVornConv::NameValueSet(CDictVSet* vset, const CString& name, const CString& label) {
  vset->SetName(name);
  vset->SetLabel(label);
}

void CVeskVornConv::AddValuePair(const CString* from, const CString* to, const CString* label, CDictValue* value) {
  CDictVPair* pair = Own(new CDictVPair);
  pair->SetFrom(*from);
  if (to) pair->SetTo(*to);
  if (label) {
    CString text = *label;
    TrimTrailingBlanks(text);
    if (!text.IsEmpty()) value->SetLabel(text);
  }
  value->AddVPair(std::move(*pair));
}

bool CVeskVornConv::MarkSpecial(const CString& special, CDictValue* value) {
  VALUE_TYPE type;
  if (special == "MISSING")
    type = MissingType;
  else if (special == "DEFAULT")
    type = DefaultType;
  else if (special == "NOTAPPL")
    type = NotAppType;
  else
    return false;
  value->SetValueType(type);
  value->SetName(special);
  value->SetSpecial(true);
  return true;
}

CVeskValue* CVeskVornConv::FindValueLabel(std::vector<CVeskValue*>* list, double x) {
  for (CVeskValue* entry : *list)
    if (ValueNumber(*entry) == x) return entry;
  return nullptr;
}

void CVeskVornConv::CutPoint(double* x, double eps) {
  const double v = *x;
  auto r = std::find_if(m_aRanges.begin(), m_aRanges.end(),
                        [v](const CRange<double>& range) { return range.low <= v && v <= range.high; });
  if (r == m_aRanges.end()) {
    m_aRanges.push_back({v, v});
    return;
  }
  const CRange<double> found = *r;
  if (found.high - found.low == 0) return;
  // r is written before the list grows, as growing may move it.
  if (v == found.low) {
    *r = {found.low, found.low};
    m_aRanges.push_back({found.low + eps, found.high});
  } else if (v == found.high) {
    *r = {found.high, found.high};
    m_aRanges.push_back({found.low, found.high - eps});
  } else {
    *r = {v + eps, found.high};
    m_aRanges.push_back({found.low, v - eps});
    m_aRanges.push_back({v, v});
  }
}
