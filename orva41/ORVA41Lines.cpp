#include "orva41/ORVA41Lines.h"

#include <string>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "libs/util/Reporter.h"
#include "libs/util/SpecFile.h"
#include "orva41/Orva41Messages.h"

namespace orva41 {

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

void ReportUnknownSection(IReporter& reporter, const CSpecFile& file, const CVornString& command) {
  reporter.Report(LineMessage(LineProblem::UnknownSection, file.GetLineNumber(), command));
}

void ReportUnknownCommand(IReporter& reporter, const CSpecFile& file, const CVornString& command,
                          const CVornString& argument, const char* equals) {
  reporter.Report(LineMessage(LineProblem::UnknownCommand, file.GetLineNumber(), command + equals + argument));
}

void ReportInvalidSyntax(IReporter& reporter, const CSpecFile& file, const CVornString& command,
                         const CVornString& argument) {
  reporter.Report(LineMessage(LineProblem::InvalidSyntax, file.GetLineNumber(), command + "=" + argument));
}

}  // namespace orva41
