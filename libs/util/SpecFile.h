#pragma once
// CSpecFile: reader of sectioned text files ("[Section]" lines and key=value lines),
// line by line with one line of push-back. Line syntax in docs/section-file-reader.md.
#include <memory>
#include <string>

#include "libs/util/VornString.h"

class CSpecFile {
 public:
  // Reading states (GetState).
  enum State {
    SF_OK = 0,          // a line without '=': it may continue the value of the line before
    SF_NOCONTINUE = 2,  // a section line, a key=value line, or the end of the file
  };

  explicit CSpecFile(int reserved = 0);
  ~CSpecFile();
  CSpecFile(const CSpecFile&) = delete;
  CSpecFile& operator=(const CSpecFile&) = delete;

  // Opens the regular file name for reading; non-zero on success. mode is reserved (0).
  // On failure GetOpenError tells why.
  int Open(const std::string& name, int mode = 0);
  // The reason the last Open failed (e.g. "No such file or directory"); empty after success.
  const std::string& GetOpenError() const;
  void Close();

  // Delivers the next significant line: 0 when a line was delivered, non-zero at the end
  // of the file (command and argument are then left as they were). A section line gives
  // the bracketed text as command and an empty argument; "key=value" gives key and value;
  // a line without '=' gives the whole line as command. Blank lines and comment lines are
  // skipped. With trim, blanks around the command and the argument are removed.
  int GetLine(CVornString& command, CVornString& argument, bool trim = true);
  // The next GetLine delivers the same line again (no effect at the end of the file).
  void UngetLine();
  // Skips lines up to (not including) the next section line.
  void SkipSection();
  // 1-based number of the line last delivered (blank and comment lines count).
  int GetLineNumber() const;
  // Non-zero when the "Version=" line right after the "[...]" line just read names
  // version (letter case ignored). Consumes that line only when it is a Version line.
  int IsVersionOK(const std::string& version);
  // State of the last read: SF_OK or SF_NOCONTINUE.
  int GetState() const;

  long GetLength() const;    // bytes in the file when it was opened
  long GetPosition() const;  // bytes read so far (up to the end of the last line read)
  const std::string& GetFilePath() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
