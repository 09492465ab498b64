#pragma once
// File-name checks of the wizard and the converters, with Linux rules (docs/file-names.md).
// The checks that refuse a name or ask about a file report through the reporter given.
#include <string>

#include "libs/util/Reporter.h"
#include "libs/util/VornString.h"

// Non-zero when text is acceptable as a path name: not containing a NUL, a control
// character, or any of < > " | ? * (characters the old formats' users could not use).
int IsWinFileName(const std::string& text);

// The full path of name, resolved against the current directory ('/' separated,
// "." and ".." folded). An empty name gives an empty result.
CVornString VornGetFullFileName(const std::string& name);

// Non-zero when name may be used. mode 1: an input, which must exist and be a regular
// file. mode 0: an output, whose folder must exist and be writable and which must not be
// a folder; when it exists already and check is non-zero the user is asked whether to
// replace it (Yes/No). ext is the default extension or a list such as "dic,wst"; it only
// matters for messages. When it returns 0 it has already shown the reason.
int IsVornFileNameOK(IReporter& reporter, int mode, const std::string& name, const std::string& ext, int check);
// Non-zero when name may name a file at all: it is not empty and holds no refused character.
// When it returns 0 it has shown the reason (the first two checks of IsVornFileNameOK).
int IsVornNameUsable(IReporter& reporter, const std::string& name);
// Non-zero when the file name may be replaced: it does not exist, or the user answered Yes to
// "<name>", a blank line, "This file already exists." and "Do you want to replace it?".
int MayReplaceFile(IReporter& reporter, const std::string& name);
// Non-zero when both names lead to one existing file (the same device and inode), whatever
// the names and links in between say.
int IsSameFile(const std::string& name, const std::string& other);
// Non-zero unless output is the file input (IsSameFile); then it has shown that the input
// cannot be replaced by the output.
int IsOutputApartFromInput(IReporter& reporter, const std::string& output, const std::string& input);

// The extension of a path (after the last '.' of its file-name part), without the dot.
std::string GetFileExtension(const std::string& path);
// The same in lower case (ASCII letters), for choosing a format by extension.
std::string GetLowerFileExtension(const std::string& path);
// The path up to the extension of its file name: a '.' in a folder name, or one that starts
// the file name, starts no extension.
std::string PathWithoutExtension(const std::string& path);
// The file name of a path: what follows its last '/'.
std::string FileNamePart(const std::string& path);
