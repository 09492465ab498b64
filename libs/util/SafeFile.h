#pragma once
// Writing an output file safely: the content goes to a temporary file in the same folder,
// which takes the target's name only once it is complete and on the disk. A failure never leaves a
// half-written file and never destroys the previous one.
#include <string>
#include <string_view>

// Writes content to path atomically. On failure returns false and sets error (when given)
// to a sentence naming the file and the reason.
bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error = nullptr);

// True when WriteFileAtomically could write path now: it is no folder or other special
// file, and its folder takes a new file. Nothing is written and an existing file is left
// as it is. On failure sets error (when given) as WriteFileAtomically would.
bool CanWriteFileAtomically(const std::string& path, std::string* error = nullptr);

// Makes folder and the folders above it when missing. False with error (when given) set to
// "Cannot make the folder F: reason." when it is not a folder afterwards.
bool MakeFolder(const std::string& folder, std::string* error = nullptr);

// Reads a whole regular file. False with a reason naming the file when it is missing, a
// folder, or unreadable.
bool ReadWholeFile(const std::string& path, std::string& content, std::string* error = nullptr);

// How the writer makes its temporary file. Unnamed: a file without a name in the target's
// folder (O_TMPFILE), linked in only once complete, so that a killed process leaves no part
// of a file behind (the one exception: killed between the two calls that put the complete
// file in place of an existing one, its link under a hidden name and the rename over the
// target, it leaves that complete file under the hidden name; Linux cannot link a file
// over an existing name in one call); where the file system has none, a named one as below. Named: a hidden
// ".travo-XXXXXX" file beside the target, removed on every failure the process lives
// through. DefaultTempFileKind is Unnamed unless the environment variable
// TRAVO_NAMED_TEMP_FILES is set (to test the named path end to end).
enum class TempFileKind { Unnamed, Named };
TempFileKind DefaultTempFileKind();

// Writes an output file piece by piece through a temporary file in its folder (as
// WriteFileAtomically does), so that a file of any size can be written with little memory.
// Commit gives the complete, synced file the target's name; until then the target is left
// as it was. Abandon, or destroying the writer without a successful Commit, discards the
// temporary file. A symbolic link as target is written through: the link stays and the
// file it points to is replaced whole.
class CAtomicFileWriter {
 public:
  explicit CAtomicFileWriter(TempFileKind kind = DefaultTempFileKind()) : kind_(kind) {}
  ~CAtomicFileWriter();
  CAtomicFileWriter(const CAtomicFileWriter&) = delete;
  CAtomicFileWriter& operator=(const CAtomicFileWriter&) = delete;

  // Creates the temporary file for path. False with a reason naming path when path cannot
  // be written (a folder, a special file, a folder that refuses new files).
  bool Open(const std::string& path, std::string* error = nullptr);
  // Appends data (buffered). False once a write has failed; Commit then gives the reason.
  bool Write(std::string_view data);
  // Writes what is buffered, syncs and gives the file the target's name. False with a
  // reason naming the target when any write or the naming failed; the temporary file is
  // then gone and the target is as it was.
  bool Commit(std::string* error = nullptr);
  void Abandon();
  bool IsOpen() const { return fd_ >= 0; }
  // True while open on a temporary file without a name.
  bool IsUnnamed() const { return fd_ >= 0 && temp_.empty(); }

 private:
  bool Flush();
  bool Name(int& err);

  TempFileKind kind_;
  std::string name_;  // as given, for messages
  std::string path_;  // the file the result lands on
  std::string temp_;  // the named temporary file; empty for an unnamed one
  std::string buffer_;
  unsigned mode_ = 0;
  int fd_ = -1;
  int err_ = 0;
};
