#pragma once
// Start-up of the wizard program: the sheet with its four pages, run modally, then at
// most one conversion.
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "app/wizard/ConvertSheet.h"
#include "libs/util/VornString.h"

class CConvertApp;
class IReporter;

// Runs the conversion of kind with the two names. Start-up's one call after Finish.
using ConversionDispatch =
    std::function<void(int kind, const CVornString& input, const CVornString& output)>;

// The sheet titled with the application title and its pages in their order: family,
// ORVA choice, VESK choice, file names.
// Its pages report to reporter.
std::unique_ptr<CConvertSheet> CreateConvertSheet(IReporter& reporter, const QString& organization = kDefaultOrganization);

// What a closed wizard leads to: with Finish and a kind of 0 to 5, one dispatch with the
// file names page's names. Returns whether it dispatched.
bool DispatchFinishedWizard(const CConvertSheet& sheet, int result, const ConversionDispatch& dispatch);

struct WizardRunOptions {
  QString organization = kDefaultOrganization;
  // Empty: CConvertApp::RunConversion.
  ConversionDispatch dispatch;
  // Null: message boxes and a progress window (CQtHost). The conversion reports there too.
  IReporter* host = nullptr;
};

// The whole run: shows the wizard modally and, after Finish, runs the conversion with
// the host installed. Returns whether a conversion was dispatched.
bool RunConvertWizard(CConvertApp& app, const WizardRunOptions& options = {});

// The program's own options, answered before any window exists: --help (or -h) and
// --version print on out and give the exit status. Null for anything else, which is left
// to Qt (-platform, -style, ...).
std::optional<int> AnswerOwnOptions(int argc, char** argv, std::ostream& out);
