#include "orva41/ORVA41Lines.h"

#include <string>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "app/ConvertApp.h"
#include "libs/util/Host.h"
#include "libs/util/SpecFile.h"
#include "res/StringTable.h"

namespace orva41 {

namespace {

const char* ResourceText(int id) {
  const char* text = LoadResString(id);
  return text ? text : "";
}

// Shows a string-table message that carries the number of the line last read, followed
// by a line feed and the text of the line.
void ReportAtLine(CConvertApp& app, int stringId, const CSpecFile& file, const std::string& line) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  app.m_sMessage.Format(ResourceText(stringId), file.GetLineNumber());
#pragma GCC diagnostic pop
  app.m_sMessage += "\n";
  app.m_sMessage += line;
  app.m_sMessage.MessageBoxA(MB_OK);
}

}  // namespace

bool IsSectionLine(const CVornString& command) { return !command.empty() && command[0] == '['; }

bool IsCommand(const CVornString& command, const char* name) {
  const size_t length = std::strlen(name);  // most lines differ in length: no folding needed
  return command.size() == length && strncasecmp(command.data(), name, length) == 0;
}

int ReadNumber(const CVornString& argument) {
  long value = std::strtol(argument.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

CVornString DashesToUnderscores(CVornString text) {
  text.Replace('-', '_');
  return text;
}

void ReportUnknownSection(CConvertApp& app, const CSpecFile& file, const CVornString& command) {
  ReportAtLine(app, 231, file, command);
}

void ReportUnknownCommand(CConvertApp& app, const CSpecFile& file, const CVornString& command,
                          const CVornString& argument, const char* equals) {
  ReportAtLine(app, 232, file, command + equals + argument);
}

void ReportInvalidSyntax(CConvertApp& app, const CSpecFile& file, const CVornString& command,
                         const CVornString& argument) {
  ReportAtLine(app, 233, file, command + "=" + argument);
}

}  // namespace orva41
