#pragma once
// Writing an output file safely: the content goes to a temporary file in the same folder,
// which is renamed over the target only once it is complete. A failure never leaves a
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

// Writes an output file piece by piece through a temporary file beside it (as
// WriteFileAtomically does), so that a file of any size can be written with little memory.
// Commit renames the temporary file over the target; until then the target is left as it
// was. Abandon, or destroying the writer without a successful Commit, removes the
// temporary file.
class CAtomicFileWriter {
 public:
  CAtomicFileWriter() = default;
  ~CAtomicFileWriter();
  CAtomicFileWriter(const CAtomicFileWriter&) = delete;
  CAtomicFileWriter& operator=(const CAtomicFileWriter&) = delete;

  // Creates the temporary file for path. False with a reason naming path when path cannot
  // be written (a folder, a special file, a folder that refuses new files).
  bool Open(const std::string& path, std::string* error = nullptr);
  // Appends data (buffered). False once a write has failed; Commit then gives the reason.
  bool Write(std::string_view data);
  // Writes what is buffered, syncs and renames the temporary file over the target. False
  // with a reason naming the target when any write or the rename failed; the temporary
  // file is then gone and the target is as it was.
  bool Commit(std::string* error = nullptr);
  void Abandon();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  bool Flush();

  std::string name_;  // as given, for messages
  std::string path_;  // the file the rename lands on
  std::string temp_;
  std::string buffer_;
  unsigned mode_ = 0;
  int fd_ = -1;
  int err_ = 0;
};
