#pragma once
// Tells the kind of a dictionary or forms file from its first bytes, whatever its name
// says. The command-line tool reads a file as what it holds, and names the files it
// cannot read as any of its formats.
#include <string>

#include "libs/format/Format.h"


// The kind the content of path shows; Unknown when it shows none, cannot be read or is
// no regular file.
FileFormat DetectFileFormat(const std::string& path);
// The same for the first bytes of a file (as many as it has, up to a few kilobytes).
FileFormat DetectFormatOfBytes(const std::string& bytes);
// The kind the extension of path names (letter case ignored); Unknown for any other.
FileFormat FormatFromExtension(const std::string& path);
// The usual extension of a kind, without the dot: "dd", "ddw", "dic", "wst", "dcf", "fmf";
// empty for Unknown.
const char* FormatExtension(FileFormat format);
// A name for messages: "an ORVA 3.1 dictionary", "a VESK work dictionary", ...
const char* FormatDescription(FileFormat format);
// The message for a file that is none of the formats.
std::string NotADictionaryMessage(const std::string& path);

// A file to be read as what its content shows. When the content shows a kind and the
// extension names another one (or none), path() is a link to the file under the same
// name with the right extension, in a private temporary folder removed with this object:
// the readers that go by the extension then read it as what it is.
class ResolvedInput {
 public:
  explicit ResolvedInput(const std::string& path);
  ~ResolvedInput();
  ResolvedInput(const ResolvedInput&) = delete;
  ResolvedInput& operator=(const ResolvedInput&) = delete;

  // The kind the file is read as: the content's, else the extension's; Unknown for
  // neither.
  FileFormat format() const { return format_; }
  // True when the content overrules the extension.
  bool overruled() const { return overruled_; }
  // The path to read.
  const std::string& path() const { return path_; }
  // The path as given.
  const std::string& given() const { return given_; }

 private:
  FileFormat format_ = FileFormat::Unknown;
  bool overruled_ = false;
  std::string path_;
  std::string given_;
  std::string folder_;  // the temporary folder, empty when none was made
};

// True when a file of format is an input of conversion kind (0 to 5).
bool FormatFitsKind(FileFormat format, int kind);

// The message for path when it is a regular file whose content shows none of the
// formats, whatever its extension names; empty otherwise. The commands that would take
// such a file as its extension says (and an ORVA 4.1 reader makes an empty dictionary of
// any text) refuse it with this.
std::string UnknownContentOf(const std::string& path);

// The message for path when it is a regular file that neither its content nor its
// extension shows to be of a known kind; empty otherwise (a missing file is left to the
// readers, which say so in their words).
std::string DetectedNothingOf(const std::string& path);
