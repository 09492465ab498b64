#pragma once
// What every format module offers the programs above it, and what they give it.
//
// A format module (orva31/, orva41/, vesk/ with veskconv/, travo/) describes itself with a
// FormatModule: its name, its extension, a bid on a file's first bytes, and the operations it
// has. The programs hold the one table of modules (app/Formats.cpp) and go through it for
// every file they read or write. A module takes everything it needs from its caller in a
// FormatContext and reports through the context's reporter; it includes nothing of the
// programs above it.
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "libs/dict/DictCounts.h"
#include "libs/util/Reporter.h"

class CDataDict;
class DataLayout;

// The file formats, each told from a file's first bytes.
enum class FileFormat {
  Unknown,     // none of the formats below (or the file cannot be read)
  Orva31,      // ORVA 3.1 binary dictionary (.dd)
  Orva41,      // ORVA 4.1 text dictionary (.ddw)
  VeskDict,    // VESK dictionary with its header (.dic)
  VeskWork,    // VESK work dictionary, starting with its first section (.wst)
  TravoDict,   // Travo dictionary (.dcf)
  TravoForms,  // Travo forms file (.fmf)
};

// What a module's work is given by its caller.
struct FormatContext {
  IReporter& reporter;       // every message and question, and the progress window
  char decimalChar = '.';    // the user's decimal character
  bool showProgress = true;  // false: no progress window (reading for inspect or compare)
};

// A file to read: where it is, and the name that messages give it (the name the user gave,
// which can differ from the path when the program completed it).
struct InputFile {
  std::string path;
  std::string shown;
};

// What a conversion wrote, recorded as each file was written whole and counted from the
// model it was written from (nothing is read back).
struct WrittenFiles {
  std::string dictionary;   // the dictionary written (.dcf, or the .dd of a conversion to ORVA 3.1)
  DictionaryCounts counts;  // what it holds; to ORVA 3.1: the Travo dictionary it was made from
  std::string forms;        // the forms file written; empty when none
  int formCount = 0;        // the forms it holds
  // The files written, the forms file first.
  std::vector<std::string> Files() const {
    std::vector<std::string> files;
    for (const std::string* file : {&forms, &dictionary}) {
      if (!file->empty()) files.push_back(*file);
    }
    return files;
  }
};

// How a conversion ended.
struct ConversionResult {
  bool wroteOutput = false;  // its output file (or files) were written
  WrittenFiles written;      // also when it failed after writing one of them
};

// The result of a conversion that wrote its dictionary file path whole from dict.
inline ConversionResult DictionaryWritten(const std::string& path, const CDataDict& dict) {
  ConversionResult result;
  result.wroteOutput = true;
  result.written.dictionary = path;
  result.written.counts = CountDictionary(dict);
  return result;
}

// A conversion's files: the input as found, and the output name as completed.
struct ConversionRequest {
  InputFile input;
  std::string output;
  bool forms = false;  // VESK: the forms file too
};

struct FormatModule {
  FileFormat format;
  const char* name;         // "orva31", "orva41", "vesk", "vesk-work", "travo", "travo-forms"
  const char* extension;    // the usual extension, without the dot: "dd", "ddw", "dic", ...
  const char* description;  // for messages: "an ORVA 3.1 dictionary", ...
  // The bid on a file's first bytes (as many as it has, up to kProbeBytes): true when they
  // are of this format.
  bool (*detect)(std::string_view firstBytes);
  // The file as a Travo dictionary, built as its conversion builds it, nothing written;
  // null after the message that says why (or on Cancel). Null for the forms file.
  std::unique_ptr<CDataDict> (*readDictionary)(const InputFile& input, FormatContext& context);
  // The conversion of a file of this format into Travo (kinds 0, 1, 3, 4); null for none.
  ConversionResult (*convertToTravo)(const ConversionRequest& request, FormatContext& context);
  // The conversion of a Travo dictionary into this format (kind 2); null for none.
  ConversionResult (*convertFromTravo)(const ConversionRequest& request, FormatContext& context);
  // What the file holds, as text or JSON, for inspect; false with the reason in error.
  bool (*describe)(const InputFile& input, bool json, std::ostream& out, std::string& error);
  // How the data files it describes are read, for a format that reads them its own way;
  // null after the message that says why. Null for the formats whose data is read through
  // the Travo dictionary they are read into.
  std::unique_ptr<DataLayout> (*dataLayout)(const InputFile& input, FormatContext& context) = nullptr;
};

// How much of a file the bids look at: the text formats decide within their first lines, the
// binary ones within their first record.
constexpr size_t kProbeBytes = 4096;
