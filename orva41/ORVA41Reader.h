#pragma once
// Reading an ORVA 4.1 text dictionary (.ddw) into the Travo dictionary model. The
// conversion (CConvertApp::ConvertORVA41Dict) and the command-line tool's inspect share
// this one reading path; only the conversion validates and saves.
#include <memory>
#include <string>

class CConvertApp;
class CDataDict;
class CProgressDlg;

enum class Orva41ReadResult {
  Read,          // the whole file was read into the dictionary
  CannotOpen,    // the file could not be opened; the message naming it was shown
  WrongVersion,  // the [Dictionary] section is not of ORVA 4.1; the message was shown
  Cancelled,     // the user pressed Cancel; nothing was shown
};

// Reads path into dict (a fresh dictionary) and builds its name list. Problems in the
// text are shown through the installed host as they are met, and skipped. When progress
// is given it is created, titled and advanced once per common or record section, and
// Cancel is polled there; it is left open for the caller unless the version is wrong.
Orva41ReadResult ReadORVA41Dictionary(CConvertApp& app, const std::string& path, CDataDict& dict,
                                      CProgressDlg* progress);

// The dictionary as the conversion of path would build it, without validating or saving
// it; null when the file cannot be read, with the reason (the text that was shown) in
// error when given.
std::unique_ptr<CDataDict> LoadORVA41Dict(CConvertApp& app, const std::string& path,
                                          std::string* error = nullptr);
