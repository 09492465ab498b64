#pragma once
// CVeskVornConv: the driver of the conversion of a VESK dictionary into a Travo dictionary
// (conversion kind 3) and, for kind 4, a Travo forms file. One converter serves one
// conversion: construct it, call Convert (or ReadDictionary) once, destroy it.
//
// The work is split by what it builds:
//   VeskVornConv.cpp         the driver: phases, output names, reading-phase messages
//   VeskDictBuilder.cpp      identification records, levels, records and items
//   VeskValueSetBuilder.cpp  value sets from ranges, value labels and special codes
//   VeskFormsBuilder.cpp     forms, levels, groups, fields and rosters of the forms file
//   VeskFormLayout.cpp       screen text into text items, pixel positions, sizes, form growth
//   VeskText.cpp             labels, names and code page of the VESK texts
// docs/vesk-conversion.md maps every VESK object to its Travo object.
#include <memory>
#include <string>

#include "libs/format/Format.h"
#include "libs/util/VornString.h"
#include "vesk/Dic.h"

class CDataDict;
class CDEFormFile;
class CProgressDlg;
class VeskDictBuilder;
class VeskValueSetBuilder;

class CVeskVornConv {
 public:
  // Messages and progress go to context's reporter; progress only when it asks for it.
  explicit CVeskVornConv(FormatContext& context);
  ~CVeskVornConv();
  CVeskVornConv(const CVeskVornConv&) = delete;
  CVeskVornConv& operator=(const CVeskVornConv&) = delete;

  // The whole conversion of input, read as a VESK file of type whatever its name says:
  // true when it ran to the end, false on any failure or Cancel. Messages name the input
  // as shown.
  bool Convert(const InputFile& input, Dic_eDicType type, const CString& outputPath, bool wantForms);
  // The Travo dictionary the conversion would save, built and validated in memory with
  // nothing written and no progress shown; null after the message that says why.
  std::unique_ptr<CDataDict> ReadDictionary(const InputFile& input, Dic_eDicType type);
  // True once the Travo dictionary file has been written whole (also when a Cancel came
  // after that).
  bool DictionarySaved() const { return !m_written.dictionary.empty(); }
  // True once the forms file has been written whole.
  bool FormsSaved() const { return !m_written.forms.empty(); }
  // The files written whole so far, with what they hold, counted as they were saved.
  const WrittenFiles& Written() const { return m_written; }

  // The two output names: the output path without the extension of its file name, with
  // ".dcf" and ".fmf".
  static CString DcfPathFor(const CString& outputPath);
  static CString FmfPathFor(const CString& outputPath);

 private:
  // Reading phase; false after its message.
  bool CheckOutputsWritable(const CString& dcfPath, const CString& fmfPath, bool wantForms);
  std::unique_ptr<Dic> LoadVeskDictionary(const InputFile& input, Dic_eDicType type);
  // The VESK dictionary loaded and the Travo dictionary (m_dict) built from it and
  // validated; null after the message that says why. Returns the VESK dictionary, which
  // the forms are made from.
  std::unique_ptr<Dic> BuildDictionary(const InputFile& input, Dic_eDicType type, bool showProgress,
                                       CProgressDlg& dialog);
  bool SaveDictionary(const CString& dcfPath);
  // The forms phase; false after a message or on Cancel.
  bool ConvertForms(Dic& dic, const CString& dcfPath, const CString& fmfPath, CProgressDlg& dialog);
  void Report(const CString& text);

  FormatContext& m_context;
  std::unique_ptr<VeskValueSetBuilder> m_valueSets;
  std::unique_ptr<CDataDict> m_dict;
  std::unique_ptr<VeskDictBuilder> m_dictBuilder;
  std::unique_ptr<CDEFormFile> m_formFile;
  WrittenFiles m_written;
};
