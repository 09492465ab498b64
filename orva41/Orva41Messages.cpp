#include "orva41/Orva41Messages.h"

#include "libs/util/VornString.h"
#include "res/StringTable.h"

namespace orva41 {

namespace {

enum : int {
  IDS_NOT_ORVA41 = 230,
  IDS_UNKNOWN_SECTION = 231,
  IDS_UNKNOWN_COMMAND = 232,
  IDS_INVALID_SYNTAX = 233,
  IDS_CONVERTED = 234,
  IDS_NOT_CONVERTED = 235,
  IDS_SUBITEMS_PROMOTED = 273,
};

const char* ResourceText(int id) {
  const char* text = LoadResString(id);
  return text ? text : "";
}

int LineProblemText(LineProblem problem) {
  switch (problem) {
    case LineProblem::UnknownSection: return IDS_UNKNOWN_SECTION;
    case LineProblem::UnknownCommand: return IDS_UNKNOWN_COMMAND;
    case LineProblem::InvalidSyntax: break;
  }
  return IDS_INVALID_SYNTAX;
}

}  // namespace

std::optional<Message> ReadEndMessage(Orva41ReadResult result, const std::string& shown, const std::string& why) {
  switch (result) {
    case Orva41ReadResult::CannotOpen:
      return Message{"Cannot open ORVA 4.1 Data Dictionary  " + shown + ":\n" + why, MB_OK};
    case Orva41ReadResult::WrongVersion: return Message{ResourceText(IDS_NOT_ORVA41), MB_OK};
    case Orva41ReadResult::Read:
    case Orva41ReadResult::Cancelled: break;
  }
  return std::nullopt;
}

Message LineMessage(LineProblem problem, int lineNumber, const std::string& line) {
  CVornString text;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  text.Format(ResourceText(LineProblemText(problem)), lineNumber);
#pragma GCC diagnostic pop
  return Message{text + "\n" + line, MB_OK};
}

Message SubitemsPromoted() { return Message{ResourceText(IDS_SUBITEMS_PROMOTED), MB_OK}; }

Message ConversionEnded(bool saved, const std::string& saveError) {
  std::string text = ResourceText(saved ? IDS_CONVERTED : IDS_NOT_CONVERTED);
  if (!saved && !saveError.empty()) text += "\n\n" + saveError;
  return Message{text, MB_OK};
}

}  // namespace orva41
