#pragma once
// Small pieces both ORVA 3.1 converters use: string-table texts and path parts.
#include <string>

#include "libs/util/FileNames.h"
#include "libs/util/ProgressDlg.h"
#include "libs/util/VornString.h"
#include "res/ConverterStrings.h"
#include "res/StringTable.h"

namespace orva31 {

// A string-table text for formatting; empty when the table has no such entry.
inline const char* ResText(int id) {
  const char* text = LoadResString(id);
  return text ? text : "";
}

// Where the ORVA file of a conversion to ORVA 3.1 goes: the output path when its extension is
// "dd" in any letter case, else the output path with ".dd" for its extension.
inline std::string OutputFileFor(const std::string& output) {
  const std::string base = PathWithoutExtension(output);
  const bool isDd = base != output && CVornString(output.substr(base.size() + 1)).CompareNoCase("dd") == 0;
  return isDd ? output : base + ".dd";
}

// Opens the progress window both conversions show (when show is true): titled, stepping by
// one from 0 to upper, status "Converting ...".
inline void OpenProgress(CProgressDlg& progress, int upper, bool show) {
  if (show) progress.Create();
  progress.SetWindowText(ResText(IDS_APP_TITLE));
  progress.SetRange(0, upper);
  progress.SetStep(1);
  progress.SetStatus(IDS_CONVERTING);
}

}  // namespace orva31
