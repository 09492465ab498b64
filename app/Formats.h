#pragma once
// The one table of formats. Every command and the wizard find a file's format, and the
// module that reads, writes or describes it, here. A file is read as what its first bytes
// show, whatever its name says; the extension decides only when the content shows nothing.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "libs/format/Format.h"

// The modules in the order their bids are asked.
const std::vector<const FormatModule*>& FormatModules();
// The module of format; null for Unknown.
const FormatModule* ModuleOf(FileFormat format);

// The format the first bytes of a file show: the first module whose bid takes them.
FileFormat DetectFormatOfBytes(std::string_view bytes);
// The same for the file at path; Unknown when it cannot be read or is no regular file.
FileFormat DetectFileFormat(const std::string& path);
// The format the extension of path names (letter case ignored); Unknown for any other.
FileFormat FormatFromExtension(const std::string& path);
// The format path is read as: its content's, else its extension's; Unknown for neither.
FileFormat FormatToRead(const std::string& path);
// True when the content of path shows a format and its extension names another one (or none).
bool ContentOverrulesExtension(const std::string& path);

// The usual extension of a format, without the dot; empty for Unknown.
const char* FormatExtension(FileFormat format);
// A name for messages: "an ORVA 3.1 dictionary", ...; "not a dictionary" for Unknown.
const char* FormatDescription(FileFormat format);

// The file at path read as a dictionary of format by its module (an ORVA or VESK dictionary
// as its conversion would build it), nothing written, without progress; null with the
// messages of the reading in error when it cannot be read or format has no dictionary. The
// messages also go to shownTo when it is given.
std::unique_ptr<CDataDict> ReadDictionaryAs(FileFormat format, const std::string& path, std::string& error,
                                            IReporter* shownTo = nullptr);

// The format the dictionary file at path is read as; Unknown with the reason in error when
// it is missing, not a regular file, of no known format or a forms file.
FileFormat DictionaryFormatOf(const std::string& path, std::string& error);

// How the data files that the dictionary at path describes are read, with the dictionary
// read as format: by the module's own layout when it has one (VESK), else through the Travo
// dictionary it is read into. Null with the messages of the reading in error.
std::unique_ptr<DataLayout> ReadDataLayoutAs(FileFormat format, const std::string& path, std::string& error,
                                             IReporter* shownTo = nullptr);

// The message for a file that is none of the formats.
std::string NotADictionaryMessage(const std::string& path);
// The message for path when it is a regular file whose content shows none of the formats,
// whatever its extension names; empty otherwise. The commands that would take such a file
// as its extension says refuse it with this (an ORVA 4.1 reader makes an empty dictionary of
// any text).
std::string UnknownContentOf(const std::string& path);
// The message for path when it is a regular file that neither its content nor its extension
// shows to be of a known format; empty otherwise (a missing file is left to the readers,
// which say so in their words).
std::string DetectedNothingOf(const std::string& path);
