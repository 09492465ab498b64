#pragma once
// Helpers shared by the ORVA 4.1 dictionary reader and its section readers: recognising
// lines, reading their arguments and reporting the lines that cannot be used.
#include "libs/util/VornString.h"

class CSpecFile;
class IReporter;

namespace orva41 {

// A command whose first character is '[' is a section line.
bool IsSectionLine(const CVornString& command);
// Section names and keys compare without regard to letter case.
bool IsCommand(const CVornString& command, const char* name);
// The argument read as a decimal integer the way atoi does (leading blanks and a sign
// accepted, reading stops at the first non-digit, no digits give 0), kept within int.
int ReadNumber(const CVornString& argument);
// Names in the old files may hold '-', which Travo names do not.
CVornString DashesToUnderscores(CVornString text);
// Several Note lines make a note of several lines.
template <class T>
void AppendNote(T& object, const CVornString& text) {
  if (object.GetNote().empty()) {
    object.SetNote(text);
  } else {
    object.SetNote(object.GetNote() + "\r\n" + text);
  }
}

// Label, Name (dashes made underscores) and Note, which the dictionary, its records and
// its items share; false when command is none of them.
template <class T>
bool ApplyLabelNameOrNote(T& object, const CVornString& command, const CVornString& argument) {
  if (IsCommand(command, "Label")) {
    object.SetLabel(argument);
  } else if (IsCommand(command, "Name")) {
    object.SetName(DashesToUnderscores(argument));
  } else if (IsCommand(command, "Note")) {
    AppendNote(object, argument);
  } else {
    return false;
  }
  return true;
}

// "Unrecognized section name at line N." and the section line.
void ReportUnknownSection(IReporter& reporter, const CSpecFile& file, const CVornString& command);
// "Unrecognized command at line N." and the line, its command and argument joined by
// equals ("=" at the dictionary level, " = " inside sections).
void ReportUnknownCommand(IReporter& reporter, const CSpecFile& file, const CVornString& command,
                          const CVornString& argument, const char* equals);
// "Invalid syntax at line N." and the line as command=argument.
void ReportInvalidSyntax(IReporter& reporter, const CSpecFile& file, const CVornString& command,
                         const CVornString& argument);

}  // namespace orva41
