// Where a variable has both ranges and labelled values, the labelled values are cut out of
// the ranges, so that every value is an unlabelled range or a labelled single value.
#include "veskconv/VeskValueSetBuilder.h"

#include <algorithm>
#include <cmath>
#include <compare>
#include <cstdlib>

#include "veskconv/VeskText.h"

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

// The number a labelled value text stands for: BLANK for a text that starts with a blank.
double ValueNumber(const CString& value) {
  return !value.empty() && value[0] == ' ' ? BLANK : std::atof(value.c_str());
}

void TrimLeadingBlanks(CString& s) { s.erase(0, s.find_first_not_of(' ')); }
void TrimTrailingBlanks(CString& s) { s.erase(s.find_last_not_of(' ') + 1); }

// A value of one pair, from to (when given), with the label (when given and not blank).
CDictValue ValueOfPair(const CString& from, const CString* to, const CString* label) {
  CDictValue value;
  CDictVPair pair;
  pair.SetFrom(from);
  if (to) pair.SetTo(*to);
  if (label) {
    CString text = *label;
    TrimTrailingBlanks(text);
    if (!text.IsEmpty()) value.SetLabel(text);
  }
  value.AddVPair(std::move(pair));
  return value;
}

// Marks value as the special value named ("MISSING", "DEFAULT" or "NOTAPPL"); any other
// name leaves it as it is.
void MarkSpecial(const CString& special, CDictValue& value) {
  VALUE_TYPE type;
  if (special == "MISSING")
    type = MissingType;
  else if (special == "DEFAULT")
    type = DefaultType;
  else if (special == "NOTAPPL")
    type = NotAppType;
  else
    return;
  value.SetValueType(type);
  value.SetName(special);
  value.SetSpecial(true);
}

}  // namespace

void VeskValueSetBuilder::MakeValueSet(CDictItem& item, Var* var, Lab* lab) {
  const bool hasRanges = var->cats && var->cats->count > 0;
  const std::vector<LabelledValue> labels = ReadValueLabels(var, lab);
  const bool hasLabels = !labels.empty();
  if (!hasRanges && !hasLabels) return;  // the item gets no value set

  CString name;
  name.Format("%s_VS%d", item.GetName().c_str(), item.GetNumVSets() + 1);
  CDictVSet vset;
  vset.SetName(name);
  vset.SetLabel(item.GetLabel());
  const int decimals = var->decimals;

  if (hasLabels && !hasRanges) {
    vset.ReserveValues(static_cast<int>(labels.size()));
    for (const LabelledValue& entry : labels) {
      CDictValue value = ValueOfPair(entry.value, nullptr, &entry.label);
      MarkSpecial(entry.special, value);
      vset.AddValue(std::move(value));
    }
  } else if (hasRanges && !hasLabels) {
    vset.ReserveValues(var->cats->count);
    for (uint16_t r = 0; r < var->cats->count; ++r) {
      const Rng* range = static_cast<const Rng*>((*var->cats)[r]);
      const CString to = FormatNumber(range->hi, decimals);
      vset.AddValue(ValueOfPair(FormatNumber(range->lo, decimals), &to, nullptr));
    }
  } else {
    m_aRanges.clear();
    for (uint16_t r = 0; r < var->cats->count; ++r) {
      const Rng* range = static_cast<const Rng*>((*var->cats)[r]);
      m_aRanges.push_back({range->lo, range->hi});
    }
    const double eps = std::pow(10.0, -decimals);
    for (const LabelledValue& entry : labels) CutPoint(ValueNumber(entry.value), eps);
    // A total order, so that a range of NaN numbers cannot upset the sort.
    std::stable_sort(m_aRanges.begin(), m_aRanges.end(),
                     [](const Range& a, const Range& b) { return std::strong_order(a.low, b.low) < 0; });
    vset.ReserveValues(static_cast<int>(m_aRanges.size()));
    for (const Range& range : m_aRanges) {
      CString from = FormatNumber(range.low, decimals);
      CString to = FormatNumber(range.high, decimals);
      CString valueLabel;
      const LabelledValue* entry = range.high == range.low ? FindValueLabel(labels, range.low) : nullptr;
      if (entry) {
        valueLabel = entry->label;
        if (!entry->special.IsEmpty() && range.low == BLANK) {
          from = entry->value;
          to.Empty();
        }
      }
      CDictValue value = ValueOfPair(from, &to, &valueLabel);
      if (entry) MarkSpecial(entry->special, value);
      vset.AddValue(std::move(value));
    }
    m_aRanges.clear();
  }
  item.AddVSet(std::move(vset));
}

std::vector<VeskValueSetBuilder::LabelledValue> VeskValueSetBuilder::ReadValueLabels(Var* var, Lab* lab) {
  std::vector<LabelledValue> list;
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

    LabelledValue entry;
    if (!numeric) {
      if (value.Find('\'') >= 0 && value.Find('"') >= 0) {
        CString message;
        message.Format("Invalid string (%s). Only one class of apostrophe is allowed in Var '%s' Dic '%s'",
                       value.c_str(), veskconv::VarName(var).c_str(), veskconv::DicNameOf(var).c_str());
        m_reporter.ShowMessage(message, MB_OK);
        value.Replace('"', '\'');
      }
      entry.value.Format("%-*s", static_cast<int>(var->len), value.c_str());
    } else {
      entry.value = value;
    }
    veskconv::OemToAnsi(label);
    entry.label = label;
    list.push_back(std::move(entry));
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
      LabelledValue entry;
      if (blank)
        entry.value.Format("%*s", static_cast<int>(var->len), "");
      else
        entry.value = FormatNumber(code.code, var->decimals);
      entry.label = code.label;
      entry.special = code.special;
      list.push_back(std::move(entry));
    }
  }
  return list;
}

const VeskValueSetBuilder::LabelledValue* VeskValueSetBuilder::FindValueLabel(const std::vector<LabelledValue>& list,
                                                                             double x) {
  for (const LabelledValue& entry : list)
    if (ValueNumber(entry.value) == x) return &entry;
  return nullptr;
}

void VeskValueSetBuilder::CutPoint(double x, double eps) {
  auto r = std::find_if(m_aRanges.begin(), m_aRanges.end(),
                        [x](const Range& range) { return range.low <= x && x <= range.high; });
  if (r == m_aRanges.end()) {
    m_aRanges.push_back({x, x});
    return;
  }
  const Range found = *r;
  if (found.high - found.low == 0) return;
  // r is written before the list grows, as growing may move it.
  if (x == found.low) {
    *r = {found.low, found.low};
    m_aRanges.push_back({found.low + eps, found.high});
  } else if (x == found.high) {
    *r = {found.high, found.high};
    m_aRanges.push_back({found.low, found.high - eps});
  } else {
    *r = {x + eps, found.high};
    m_aRanges.push_back({found.low, x - eps});
    m_aRanges.push_back({x, x});
  }
}
