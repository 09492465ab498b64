#pragma once
// Every message of the ORVA 4.1 reader and conversion, built in this one place from what
// the reader met: how a reading ended, the lines it could not use, the id items it
// promoted, and how the conversion ended. Nothing here shows anything.
#include <optional>
#include <string>

#include "libs/util/Reporter.h"
#include "orva41/ORVA41Reader.h"

namespace orva41 {

// The message for a reading that ended before the end of the file: the file (named as
// shown) that could not be opened, with why; a file of another version. None for a
// reading that ended well or on Cancel.
std::optional<Message> ReadEndMessage(Orva41ReadResult result, const std::string& shown, const std::string& why);

// A line the reader skipped, with its number and its text.
enum class LineProblem { UnknownSection, UnknownCommand, InvalidSyntax };
Message LineMessage(LineProblem problem, int lineNumber, const std::string& line);

Message SubitemsPromoted();
// How the conversion ended: saved, or not with the saving's error when it gave one.
Message ConversionEnded(bool saved, const std::string& saveError);

}  // namespace orva41
