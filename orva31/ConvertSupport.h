#pragma once
// Small pieces both ORVA 3.1 converters use: string-table texts and path parts.
#include <string>

#include "libs/util/ProgressDlg.h"
#include "libs/util/VornString.h"
#include "res/StringTable.h"

namespace orva31 {

enum : int { IDS_CONVERTING = 208 };

// A string-table text for formatting; empty when the table has no such entry.
inline const char* ResText(int id) {
  const char* text = LoadResString(id);
  return text ? text : "";
}

// Where the extension of path's file name starts (its full stop), or npos. A full stop
// that begins the file name starts no extension, and folders' full stops never do.
inline size_t ExtensionDot(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  return dot == std::string::npos || dot <= nameStart ? std::string::npos : dot;
}

inline std::string WithoutExtension(const std::string& path) { return path.substr(0, ExtensionDot(path)); }

// Where the ORVA file of a conversion to ORVA 3.1 goes: the output path when its extension is
// "dd" in any letter case, else the output path with ".dd" for its extension.
inline std::string OutputFileFor(const std::string& output) {
  const size_t dot = ExtensionDot(output);
  const bool isDd = dot != std::string::npos && CVornString(output.substr(dot + 1)).CompareNoCase("dd") == 0;
  return isDd ? output : WithoutExtension(output) + ".dd";
}

inline std::string FileNamePart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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
