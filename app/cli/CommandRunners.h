#pragma once
// The functions that run the tool's commands, each in a file of its own; the table of
// commands (Commands.cpp) names them.
#include "app/cli/Command.h"

int RunConvert(const CommandArguments& args, std::string& usageError);       // ConvertCommand.cpp
int RunInspect(const CommandArguments& args, std::string& usageError);       // InspectCommand.cpp
int RunCompare(const CommandArguments& args, std::string& usageError);       // CompareCommand.cpp
int RunPreview(const CommandArguments& args, std::string& usageError);       // PreviewCommand.cpp
int RunVeskReport(const CommandArguments& args, std::string& usageError);    // VeskCommands.cpp
int RunVeskHtml(const CommandArguments& args, std::string& usageError);      // VeskCommands.cpp
int RunVeskData(const CommandArguments& args, std::string& usageError);      // VeskDataCommand.cpp
int RunData(const CommandArguments& args, std::string& usageError);          // DataCommand.cpp

// The check of convert's --kind: empty, or "unknown conversion kind 'X'".
std::string CheckConversionKind(const std::string& value);
// The check of data's --to: empty, or "unknown output format 'X' (csv, sav or dta)".
std::string CheckDataFormat(const std::string& value);
