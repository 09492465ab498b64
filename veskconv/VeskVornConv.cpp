// The VESK conversion driver: the phases of a conversion, the output names and the
// messages of the reading phase.
#include "veskconv/VeskVornConv.h"

#include <filesystem>
#include <new>

#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"
#include "libs/util/FileNames.h"
#include "libs/util/ProgressDlg.h"
#include "libs/util/SafeFile.h"
#include "res/ConverterStrings.h"
#include "res/StringTable.h"
#include "veskconv/VeskDictBuilder.h"
#include "veskconv/VeskFormsBuilder.h"
#include "veskconv/VeskValueSetBuilder.h"
#include "vesk/Vesk.h"

namespace {

// Why a VESK dictionary could not be read for conversion.
enum class LoadFailure { None, Prepare, Open, Load, Reorder, NoVariables, NoSections };

// The one place where the VESK library's results become the conversion's messages.
CString LoadFailureMessage(LoadFailure failure, const std::string& shown) {
  const char* format = "";
  switch (failure) {
    case LoadFailure::None: return {};
    case LoadFailure::Prepare:
      format = "Error preparing dictionary '%s'. The VESK dictionary could not be set up for loading.";
      break;
    case LoadFailure::Open: format = "Error opening dictionary '%s'. May not exist."; break;
    case LoadFailure::Load: format = "Error loading dictionary '%s'. Possibly corrupt."; break;
    case LoadFailure::Reorder:
      format = "Error loading dictionary '%s'. Can\u00B4t reorder sections.";  // the acute accent, as always
      break;
    case LoadFailure::NoVariables: format = "Error loading dictionary '%s'. Dictionary doesn't have variables."; break;
    case LoadFailure::NoSections: format = "Error loading dictionary '%s'. Dictionary doesn't have sections."; break;
  }
  CString text;
  text.Format(format, shown.c_str());
  return text;
}

// "Error saving dictionary '...'." (or forms file) with the reason the library gave.
CString SaveFailureMessage(const char* what, const CString& path, const std::string& reason) {
  CString text;
  text.Format("Error saving %s '%s'.", what, path.c_str());
  if (!reason.empty()) text += "\n\n" + reason;
  return text;
}

// Every section needs the identification record of its level; a level the header does
// not declare has none, and such a file is taken as corrupt.
bool SectionLevelsKnown(Dic& dic) {
  for (uint16_t i = 0; i < dic.secs->count; ++i) {
    const Sec* sec = dic.GetSec(static_cast<int>(i));
    if (sec->level < 1 || sec->level > dic.GetNumLevels()) return false;
  }
  return true;
}

// Every variable needs a name: its item and its fields are found by it. The reader trims
// a name of its trailing blanks, and every byte from 0x80 up counts as one, so a name of
// such bytes only is empty; no lookup finds an item without a name (its fields would name
// none), so such a file is taken as corrupt too.
bool VariablesNamed(Dic& dic) {
  for (uint16_t i = 0; i < dic.secs->count; ++i) {
    const Sec* sec = dic.GetSec(static_cast<int>(i));
    for (uint16_t v = 0; sec->vars && v < sec->vars->count; ++v)
      if (static_cast<const Var*>((*sec->vars)[v])->name[0] == '\0') return false;
  }
  return true;
}

// Opens and loads dic (its file named and its type set), sorts its sections by level and
// checks them.
LoadFailure LoadAndCheck(Dic& dic) {
  if (!dic.Open(true)) return LoadFailure::Open;
  if (!dic.DictLoad()) return LoadFailure::Load;
  if (!dic.ReorderSections()) return LoadFailure::Reorder;
  if (dic.numVars == 0) return LoadFailure::NoVariables;
  if (dic.numSecs == 0) return LoadFailure::NoSections;
  if (!SectionLevelsKnown(dic) || !VariablesNamed(dic)) return LoadFailure::Load;
  return LoadFailure::None;
}

}  // namespace

CVeskVornConv::CVeskVornConv(FormatContext& context)
    : m_context(context), m_valueSets(std::make_unique<VeskValueSetBuilder>(context.reporter)) {}

// The forms file and the dictionary go before the objects the dictionary builder made.
CVeskVornConv::~CVeskVornConv() {
  m_formFile.reset();
  m_dict.reset();
  m_dictBuilder.reset();
}

CString CVeskVornConv::DcfPathFor(const CString& outputPath) { return PathWithoutExtension(outputPath) + ".dcf"; }
CString CVeskVornConv::FmfPathFor(const CString& outputPath) { return PathWithoutExtension(outputPath) + ".fmf"; }

void CVeskVornConv::Report(const CString& text) { m_context.reporter.ShowMessage(text, MB_OK); }

// Both outputs are checked before anything is read, and nothing is emptied: a failed or
// cancelled conversion leaves the previous files as they were.
bool CVeskVornConv::CheckOutputsWritable(const CString& dcfPath, const CString& fmfPath, bool wantForms) {
  for (const CString* path : {&dcfPath, &fmfPath}) {
    if (path == &fmfPath && !wantForms) break;
    std::string reason;
    if (!CanWriteFileAtomically(*path, &reason)) {
      CString text;
      text.Format("Can't open file '%s'", path->c_str());
      Report(text);
      return false;
    }
  }
  return true;
}

bool CVeskVornConv::SaveDictionary(const CString& dcfPath) {
  m_dict->BuildNameList();
  if (m_dict->Save(dcfPath)) {
    m_written.dictionary = dcfPath;
    m_written.counts = CountDictionary(*m_dict);
    return true;
  }
  Report(SaveFailureMessage("dictionary", dcfPath, m_dict->GetLastError()));
  return false;
}

// The VESK dictionary opened read-only as the type given, whatever its file's name says,
// loaded, its sections sorted by level and checked; null after the message that says why
// not. The file is the one given; only a name without extension that names no file is
// looked for as NAME.DIC, as the VESK library does.
std::unique_ptr<Dic> CVeskVornConv::LoadVeskDictionary(const InputFile& input, Dic_eDicType type) {
  std::unique_ptr<Dic> dic;
  try {
    dic = std::make_unique<Dic>(input.path.c_str());
  } catch (const std::bad_alloc&) {
  }
  LoadFailure failure = LoadFailure::Prepare;
  if (dic && dic->status == Dic::kOk) {
    std::error_code ec;
    if (dic->fileName != input.path && std::filesystem::is_regular_file(input.path, ec)) dic->fileName = input.path;
    dic->SetDicType(type);
    failure = LoadAndCheck(*dic);
  }
  if (failure == LoadFailure::None) return dic;
  Report(LoadFailureMessage(failure, input.shown));
  return nullptr;
}

std::unique_ptr<Dic> CVeskVornConv::BuildDictionary(const InputFile& input, Dic_eDicType type, bool showProgress,
                                                    CProgressDlg& dialog) {
  std::unique_ptr<Dic> dic = LoadVeskDictionary(input, type);
  if (!dic) return nullptr;

  m_dict = std::make_unique<CDataDict>();
  m_dictBuilder = std::make_unique<VeskDictBuilder>(*m_dict, *m_valueSets);
  m_dictBuilder->PrepareIdItems(*dic);
  if (showProgress) {
    dialog.SetRange(1, dic->numVars);
    dialog.SetStep(1);
  }
  m_dictBuilder->MakeDictHeader(*dic);
  m_dictBuilder->MakeRecords(*dic, showProgress ? &dialog : nullptr);

  if (showProgress) dialog.SetStatus(IDS_VALIDATING);
  CDDRuleMgr rules;
  rules.SetCurrDict(m_dict.get());
  rules.IsValid(m_dict.get(), false, true, false);  // advisory: saved whatever it says
  return dic;
}

std::unique_ptr<CDataDict> CVeskVornConv::ReadDictionary(const InputFile& input, Dic_eDicType type) {
  CProgressDlg dialog(m_context.reporter);
  InitSpecialValues();
  if (!BuildDictionary(input, type, false, dialog)) return nullptr;
  std::unique_ptr<CDataDict> dict = std::move(m_dict);
  dict->BuildNameList();
  return dict;
}

bool CVeskVornConv::Convert(const InputFile& input, Dic_eDicType type, const CString& outputPath, bool wantForms) {
  const bool showProgress = m_context.showProgress;
  const CString dcfPath = DcfPathFor(outputPath);
  const CString fmfPath = FmfPathFor(outputPath);
  CProgressDlg dialog(m_context.reporter);  // closed, like the dictionary, however the conversion ends
  if (showProgress) {
    dialog.Create();
    dialog.SetWindowText(LoadResString(IDS_APP_TITLE));
    dialog.SetStatus(IDS_CONVERTING);
  }
  InitSpecialValues();
  if (!CheckOutputsWritable(dcfPath, fmfPath, wantForms)) return false;

  std::unique_ptr<Dic> dic = BuildDictionary(input, type, showProgress, dialog);
  if (!dic) return false;

  if (showProgress) {
    dialog.SetStatus(IDS_SAVING);
    if (dialog.CheckCancelButton()) return false;
  }
  if (!SaveDictionary(dcfPath)) return false;
  if (showProgress) {
    dialog.SetStatus(IDS_SAVING);
    dialog.SetPos(dic->numVars);
    if (dialog.CheckCancelButton()) return false;
  }

  if (wantForms && dic->numForms == 0) {
    // Nothing is generated, so a previous forms file stays as it was.
    CString text;
    text.Format("There is no forms to generate. Form File '%s' (Dic '%s') will be not generated", fmfPath.c_str(),
                dic->dicName.c_str());
    Report(text);
  } else if (wantForms && !ConvertForms(*dic, dcfPath, fmfPath, dialog)) {
    return false;
  }
  return true;
}

// The forms file is written only once it is complete: a failure or Cancel here leaves the
// new dictionary whole and the previous forms file as it was.
bool CVeskVornConv::ConvertForms(Dic& dic, const CString& dcfPath, const CString& fmfPath, CProgressDlg& dialog) {
  const bool showProgress = m_context.showProgress;
  m_formFile = std::make_unique<CDEFormFile>();
  m_formFile->SetFileName(fmfPath);
  m_formFile->IsPathOn(true);
  m_formFile->ConvertRoster(true);
  m_formFile->SetDataDict(m_dict.get());
  VeskFormsBuilder forms(*m_formFile, *m_dict, *m_dictBuilder, m_context.reporter);
  if (showProgress) {
    dialog.SetStatus(IDS_CONVERTING);
    dialog.SetRange(1, 100);
    dialog.SetStep(1);
    dialog.SetPos(1);
    if (dialog.CheckCancelButton()) return false;
  }
  if (showProgress) dialog.SetPos(15);
  forms.MakeFormFileHeader(dic, dcfPath);
  if (showProgress) {
    dialog.SetPos(45);
    dialog.SetPos(65);
  }
  forms.MakeForms(dic);
  if (showProgress) {
    dialog.SetPos(100);
    dialog.SetStatus(IDS_SAVING);
    if (dialog.CheckCancelButton()) return false;
  }
  m_formFile->UpdatePointers();
  if (m_formFile->Save(fmfPath)) {
    m_written.forms = fmfPath;
    m_written.formCount = m_formFile->GetNumForms();
    return true;
  }
  Report(SaveFailureMessage("forms file", fmfPath, m_formFile->GetLastError()));
  return false;
}
