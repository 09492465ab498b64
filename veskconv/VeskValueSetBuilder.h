#pragma once
// The value set of an item made from a VESK variable, from its value ranges, the value
// labels in its label text and, for a numeric variable, its missing, not-applicable and
// default codes.
#include <vector>

#include "libs/dict/DataDict.h"
#include "libs/util/Reporter.h"
#include "vesk/Vesk.h"

class VeskValueSetBuilder {
 public:
  // The message about a value text with both quote characters goes to reporter.
  explicit VeskValueSetBuilder(IReporter& reporter) : m_reporter(reporter) {}

  // Adds the value set of var (with the label text lab) to item; an item whose variable has
  // no ranges, value labels or codes gets none.
  void MakeValueSet(CDictItem& item, Var* var, Lab* lab);

 private:
  // One labelled value of a variable, as its pair will hold it.
  struct LabelledValue {
    CString value;    // the value text of the pair
    CString label;    // its label, in the host code page
    CString special;  // "MISSING", "NOTAPPL", "DEFAULT" or empty
  };
  // A closed range, low then high.
  struct Range {
    double low;
    double high;
  };

  // The labelled values of the label text, then the special codes of a numeric variable.
  std::vector<LabelledValue> ReadValueLabels(Var* var, Lab* lab);
  // The first entry whose number is x, or null.
  static const LabelledValue* FindValueLabel(const std::vector<LabelledValue>& list, double x);
  // On the range list: makes x a single-value range.
  void CutPoint(double x, double eps);

  IReporter& m_reporter;
  std::vector<Range> m_aRanges;  // the ranges of the variable whose value set is being made
};
