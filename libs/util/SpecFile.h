#pragma once
// CSpecFile: reader of sectioned text files ("[Section]" lines and key=value lines),
// line by line with one line of push-back. Line syntax in docs/section-file-reader.md.
#include <cstdio>
#include <string>

#include "libs/util/VornString.h"

class CSpecFile {
 public:
  // Reading states (GetState).
  enum State { SF_OK = 0, SF_EOF = 1, SF_NOCONTINUE = 2 };

  explicit CSpecFile(int reserved = 0);
  ~CSpecFile();
  CSpecFile(const CSpecFile&) = delete;
  CSpecFile& operator=(const CSpecFile&) = delete;

  // Opens name for reading; non-zero on success. mode is reserved (0).
  int Open(const std::string& name, int mode = 0);
  void Close();

  // Delivers the next significant line: 0 when a line was delivered, non-zero at the end
  // of the file. A section line gives the bracketed text as command and an empty
  // argument; "key=value" gives key and value; a line without '=' gives the whole line
  // as command. Blank lines and comment lines are skipped.
  int GetLine(CVornString& command, CVornString& argument, bool trim = true);
  // The next GetLine delivers the same line again.
  void UngetLine();
  // Skips lines up to (not including) the next section line.
  void SkipSection();
  // 1-based number of the line last delivered.
  int GetLineNumber() const;
  // Non-zero when the "Version=" line right after the "[...]" line just read names
  // version (letter case ignored). Consumes that line only when it is a Version line.
  int IsVersionOK(const std::string& version);
  // State of the last read: SF_OK, SF_EOF at the end of the file, SF_NOCONTINUE when the
  // line cannot continue a value (a section line, a key=value line, or the end of the file).
  int GetState() const;

  long GetLength() const;
  long GetPosition() const;
  const std::string& GetFilePath() const;

 private:
  struct Impl;
  Impl* impl_;
};
