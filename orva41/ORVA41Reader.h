#pragma once
// Reading an ORVA 4.1 text dictionary (.ddw) into the Travo dictionary model. The
// conversion and the reading for inspect or compare share this one reading path; only the
// conversion validates and saves.
#include <memory>

#include "libs/format/Format.h"

class CDataDict;
class CDictItem;
class CDictRecord;
class CDictValue;
class CDictVSet;
class CProgressDlg;
class CSpecFile;

enum class Orva41ReadResult {
  Read,          // the whole file was read into the dictionary
  CannotOpen,    // the file could not be opened; the message naming it was reported
  WrongVersion,  // the [Dictionary] section is not of ORVA 4.1; the message was reported
  Cancelled,     // the user pressed Cancel; nothing was reported
};

namespace orva41 {

// Reads the file at input.path, whatever its name, into dict (a fresh dictionary) and
// builds its name list. Problems in the text are reported through the context as they are
// met, and skipped. When progress is given it is created, titled and advanced once per
// common or record section, and Cancel is polled there; it is left open for the caller
// unless the version is wrong.
Orva41ReadResult ReadDictionary(const InputFile& input, FormatContext& context, CDataDict& dict,
                                CProgressDlg* progress);
// The dictionary as the conversion of input would build it, without validating or saving
// it (progress shown when the context asks for it); null after the message that says why,
// or on Cancel.
std::unique_ptr<CDataDict> LoadDictionary(const InputFile& input, FormatContext& context);
// Kind 1: read, validate, save.
ConversionResult ConvertToTravo(const ConversionRequest& request, FormatContext& context);

// The section readers, one per nesting level of the file: each reads its section's lines
// from the file into the object, already added to its parent.
void ReadRecord(CSpecFile& file, FormatContext& context, CDictRecord& record, bool common);
void ReadItem(CSpecFile& file, FormatContext& context, CDictItem& item);
void ReadValueSet(CSpecFile& file, FormatContext& context, CDictVSet& vset);
void ReadValue(CSpecFile& file, FormatContext& context, CDictValue& value);

}  // namespace orva41
