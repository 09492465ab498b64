#pragma once
// CConvertApp: the application object without its user interface. It holds the user's
// decimal character and the converters' shared message buffer, and runs one conversion
// of a given kind. The wizard and the command-line tool both dispatch through it.
#include <string>
#include <vector>

#include "libs/format/Format.h"
#include "libs/util/Numbers.h"
#include "libs/util/VornString.h"

class CDataDict;
class CDictRecord;
class CSpecFile;
class CDictItem;
class CDictVSet;
class CDictValue;
class DdReader;
class DdWriter;
namespace dd {
class ClaimBudget;
}

// The conversion kinds, in the order the wizard offers them.
enum ConversionKind : int {
  KIND_ORVA31_TO_TRAVO = 0,
  KIND_ORVA41_TO_TRAVO = 1,
  KIND_TRAVO_TO_ORVA31 = 2,
  KIND_VESK_TO_TRAVO = 3,
  KIND_VESK_TO_TRAVO_FORMS = 4,
  KIND_TRAVO_TO_VESK = 5,
};

// One row of the kind table: the strings the file names page shows for the kind and the
// names the command-line tool accepts.
struct ConversionKindInfo {
  int kind;
  const char* cliName;  // "orva31", "orva41", "to-orva31", "vesk", "vesk-forms", "to-vesk"
  int inputLabel, inputTitle, inputExt, inputFilter;     // string-table ids
  int outputLabel, outputTitle, outputExt, outputFilter;  // string-table ids
  FileFormat input;      // the format it reads
  FileFormat alsoInput;  // another format it reads (the VESK work dictionary), or Unknown
  FileFormat output;     // the format its output name names (a forms file for kind 4)
};
// The row of kind, or null when kind is not 0 to 5.
const ConversionKindInfo* FindConversionKind(int kind);
// The kind named (a number 0 to 5 or a cliName), or -1.
int ParseConversionKind(const std::string& text);
// True when kind reads files of format.
bool KindReadsFormat(int kind, FileFormat format);
// The first kind that reads files of format (ORVA 3.1 0, ORVA 4.1 1, Travo dictionary 2, VESK
// 3); -1 for none.
int KindOfInputFormat(FileFormat format);
// The extension (without the point) of the output of kind: dcf, dd, fmf or dic.
const char* OutputExtensionOfKind(int kind);
// The kind that reads input and writes output, or -1; and the kind so implied by an input
// and an output path's extensions (letter case ignored).
int ConversionKindOfFormats(FileFormat input, FileFormat output);
int ConversionKindFromExtensions(const std::string& input, const std::string& output);

// The files a conversion of kind writes for the output name given, the forms file first: for
// kinds 0, 1 and 5 the name itself; kind 2 the name with ".dd" in place of its extension (kept
// when it is "dd" in any letter case); kind 3 with ".dcf"; kind 4 with ".fmf", then ".dcf".
// Empty for a kind that is not 0 to 5.
std::vector<std::string> OutputFilesOfKind(int kind, const std::string& output);

// The checks made before a conversion of kind from input writes anything (docs/file-names.md):
// the output name is usable; each file of OutputFilesOfKind may be written (IsVornFileNameOK,
// mode 0) and is not the input file itself; then each of them that exists is asked about and
// kept unless the user answers Yes, but for the output as named when askAboutOutput is 0 (a
// save dialog has asked about it). False after the message that says why, or after a No.
bool CheckConversionOutputs(IReporter& reporter, int kind, const std::string& input, const std::string& output, int askAboutOutput);

class CConvertApp {
 public:
  // Messages, questions and progress of its conversions go to reporter; to nobody (questions
  // answered No) when none is given.
  CConvertApp();
  explicit CConvertApp(IReporter& reporter);
  CConvertApp(const CConvertApp&) = delete;
  CConvertApp& operator=(const CConvertApp&) = delete;

  // The context its conversions run in: its decimal character, and a reporter that keeps
  // each message's text in m_sMessage on its way to the host.
  FormatContext Context() { return FormatContext{m_messages, m_cDecimal}; }
  // From now on its conversions report to reporter (the wizard's host, once it exists).
  void ReportTo(IReporter& reporter) { m_messages.ReportTo(reporter); }

  // The user's decimal separator: the first character of the locale's LC_NUMERIC decimal
  // point, '.' when there is none. Read once by the constructor.
  char GetDecimalChar() const { return m_cDecimal; }
  void SetDecimalChar(char c) { m_cDecimal = c; }

  // Runs one conversion of the given kind. Returns false when the kind is not 0 to 5 or
  // the conversion did not write its output. Messages go to its reporter. The input is read
  // as readAs when kind reads that format (the command-line tool reads a file as its content
  // shows); else as its extension says.
  bool RunConversion(int kind, const CVornString& input, const CVornString& output,
                     FileFormat readAs = FileFormat::Unknown);

  // The converters; each calls its format module with Context(), records what it wrote (see
  // LastWrittenFiles) and returns true when it wrote its output.
  bool ConvertORVA31Dict(const CVornString& input, const CVornString& output);    // kind 0
  bool ConvertORVA41Dict(const CVornString& input, const CVornString& output);    // kind 1
  bool ConvertToORVA31Dict(const CVornString& input, const CVornString& output);  // kind 2
  bool ConvertVESK(const CVornString& input, const CVornString& output, bool forms);  // 3, 4

  // Kind 0 steps (ORVA 3.1 to Travo), on the file reader opened by the conversion.
  // budget: what the file's tables have left to give; records that claim more are unreadable.
  int ConvertORVA31Record(DdReader& reader, int record, CDictRecord* target, dd::ClaimBudget& budget);
  void RemoveCommonOverlaps(CDataDict* dict);
  // Kind 1 readers (ORVA 4.1 text), one per nesting level of the file.
  void ReadORVA41Record(CSpecFile& specFile, CDictRecord* record, bool common);
  void ReadORVA41Item(CSpecFile& specFile, CDictItem* item);
  void ReadORVA41ValueSet(CSpecFile& specFile, CDictVSet* vset);
  void ReadORVA41Value(CSpecFile& specFile, CDictValue* value);
  // Kind 2 step (Travo to ORVA 3.1) into the image of writer, at m_nOrvaRecord and
  // m_nOrvaItem: record -2 stands for the level's id items.
  int ConvertTravoRecord(DdWriter& writer, CDataDict* dict, int level, int record);

  // True when the last RunConversion wrote its output (the converters' own return values
  // do not always say so).
  bool LastConversionWroteOutput() const { return m_bWroteOutput; }
  // The files the last RunConversion wrote and what they hold (also when it failed after
  // writing one of them).
  const WrittenFiles& LastWrittenFiles() const { return m_written; }

  CVornString m_sMessage;  // message buffer shared by the converters
  int m_nOrvaItem = 0;     // Travo to ORVA 3.1: index of the next item in the ORVA record
  int m_nOrvaRecord = 0;   // Travo to ORVA 3.1: ORVA record being filled, -1 for COMMON

 private:
  // Keeps what a converter's module wrote; returns whether it wrote its output.
  bool Record(const ConversionResult& result);
  // Kinds 3 and 4 with the module of one of the VESK formats.
  bool ConvertVESKAs(const FormatModule& module, const CVornString& input, const CVornString& output, bool forms);

  // Hands each message on to the host, its text kept in m_sMessage first.
  class MessageBuffer final : public IReporter {
   public:
    MessageBuffer(CConvertApp& app, IReporter& host) : app_(app), host_(&host) {}
    int Report(const Message& message) override;
    std::unique_ptr<IProgressWindow> OpenProgress() override;
    void ReportTo(IReporter& host) { host_ = &host; }

   private:
    CConvertApp& app_;
    IReporter* host_;
  };

  CSilentReporter m_nobody;  // the reporter when none is given
  MessageBuffer m_messages{*this, m_nobody};
  char m_cDecimal = '.';
  bool m_bWroteOutput = false;
  WrittenFiles m_written;
};

