// The VESK conversion driver: the phases of a conversion, the output names, the messages
// of the reading phase, the dictionary header and the label helpers.
#include <cstring>
#include <new>

#include "app/ConvertApp.h"
#include "libs/forms/FormFile.h"
#include "libs/util/CodePage.h"
#include "libs/util/ProgressDlg.h"
#include "libs/util/SafeFile.h"
#include "res/StringTable.h"
#include "veskconv/VeskVornConv.h"

namespace {

enum : int { IDS_CONVERTING = 208, IDS_VALIDATING = 209, IDS_SAVING = 210 };

// One message box with OK only.
void Report(const CString& text) { text.MessageBoxA(MB_OK); }

template <class... Args>
void ReportFormat(const char* format, Args... args) {
  CString text;
  text.Format(format, args...);
  Report(text);
}

// "Error saving dictionary '...'." (or forms file) with the reason the library gave.
void ReportSaveFailure(const char* what, const CString& path, const std::string& reason) {
  CString text;
  text.Format("Error saving %s '%s'.", what, path.c_str());
  if (!reason.empty()) text += "\n\n" + reason;
  Report(text);
}

// The output path up to the extension of its file name: a "." in a folder name, or one
// that starts the file name, starts no extension.
CString WithoutExtension(const CString& path) {
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) return path;
  return path.substr(0, dot);
}

}  // namespace

VarObject::VarObject(const CString& name, int start, int len) : Var(nullptr, nullptr), m_sName(name) {
  std::strncpy(this->name, name.c_str(), sizeof this->name - 1);
  varType = 'A';
  this->start = static_cast<int16_t>(start);
  this->len = static_cast<int16_t>(len);
}

CVeskVornConv::CVeskVornConv() : m_pOwned(std::make_unique<std::vector<OwnedPtr>>()) {}

CVeskVornConv::~CVeskVornConv() {
  delete m_pFormFile;
  delete m_pDataDict;
  m_aIdRecords.clear();
  // In the order of addition: a record goes before the items it was given copies of.
  for (OwnedPtr& owned : *m_pOwned) owned.reset();
  m_pOwned.reset();
}

CString CVeskVornConv::DcfPathFor(const CString& outputPath) { return WithoutExtension(outputPath) + ".dcf"; }
CString CVeskVornConv::FmfPathFor(const CString& outputPath) { return WithoutExtension(outputPath) + ".fmf"; }

void CVeskVornConv::InitSpecialValues() { ::InitSpecialValues(); }

void CVeskVornConv::OemToAnsi(CString& s) { s = OemToHost(s); }

char* CVeskVornConv::ReadFirstLabel(Lab* lab, char* out, int width) {
  if (!out) return nullptr;
  Lab::cleanstr(out, 0);
  if (!lab || !lab->Load()) return nullptr;
  return lab->GetLabel(out, lab->text + 2, width);
}

void CVeskVornConv::ReadThreeLabels(Lab* lab, char* a, char* b, char* c) {
  if (!a || !b || !c) return;
  a[0] = b[0] = c[0] = '\0';
  if (!lab || !lab->Load()) return;
  const char* cursor = lab->GetLabel(a, lab->text + 2, 30);
  cursor = lab->GetLabel(b, cursor, 30);
  lab->GetLabel(c, cursor, 30);
}

CString CVeskVornConv::LabelOrName(Lab* lab, int width, const CString& name) {
  std::vector<char> line(static_cast<size_t>(width) + 1);
  ReadFirstLabel(lab, line.data(), width);
  CString label = line.data();
  label.TrimRight();
  OemToAnsi(label);
  return label.IsEmpty() ? name : label;
}

void CVeskVornConv::MakeDictHeader(Dic& dic) {
  char a[31], b[31], c[31];
  ReadThreeLabels(dic.labels, a, b, c);
  CString label = a;
  label.TrimRight();
  OemToAnsi(label);
  m_pDataDict->SetLabel(label.IsEmpty() ? dic.dicName : label);
  m_pDataDict->SetName(dic.dicName);
  m_pDataDict->SetRecTypeStart(dic.recTypeLen == 0 ? 0 : dic.recTypeStart);
  m_pDataDict->SetRecTypeLen(dic.recTypeLen);
  m_pDataDict->SetPosRelative(false);
  m_pDataDict->SetZeroFill(false);
  m_pDataDict->SetDecChar(false);
}

// Both outputs are checked before anything is read, and nothing is emptied: a failed or
// cancelled conversion leaves the previous files as they were.
bool CVeskVornConv::CheckOutputsWritable(const CString& dcfPath, const CString& fmfPath, bool wantForms) {
  for (const CString* path : {&dcfPath, &fmfPath}) {
    if (path == &fmfPath && !wantForms) break;
    std::string reason;
    if (!CanWriteFileAtomically(*path, &reason)) {
      ReportFormat("Can't open file '%s'", path->c_str());
      return false;
    }
  }
  return true;
}

// Every section needs the identification record of its level; a level the header does
// not declare has none, and such a file is taken as corrupt.
bool CVeskVornConv::SectionLevelsKnown(Dic& dic) {
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
bool CVeskVornConv::VariablesNamed(Dic& dic) {
  for (uint16_t i = 0; i < dic.secs->count; ++i) {
    const Sec* sec = dic.GetSec(static_cast<int>(i));
    for (uint16_t v = 0; sec->vars && v < sec->vars->count; ++v)
      if (static_cast<const Var*>((*sec->vars)[v])->name[0] == '\0') return false;
  }
  return true;
}

bool CVeskVornConv::SaveDictionary(const CString& dcfPath) {
  m_pDataDict->BuildNameList();
  if (m_pDataDict->Save(dcfPath)) {
    m_written.dictionary = dcfPath;
    m_written.counts = CountDictionary(*m_pDataDict);
    return true;
  }
  ReportSaveFailure("dictionary", dcfPath, m_pDataDict->GetLastError());
  return false;
}

// The VESK dictionary opened read-only, loaded, its sections sorted by level and checked;
// null after the message that says why not.
std::unique_ptr<Dic> CVeskVornConv::LoadVeskDictionary(const CString& inputPath) {
  std::unique_ptr<Dic> dic;
  try {
    dic = std::make_unique<Dic>(inputPath.c_str());
  } catch (const std::bad_alloc&) {
  }
  if (!dic || dic->status != Dic::kOk) {
    ReportFormat("Error preparing dictionary '%s'. The VESK dictionary could not be set up for loading.",
                 inputPath.c_str());
    return nullptr;
  }
  dic->SetDicType(Dic::IsWorkDict(inputPath.c_str()) ? Dic_eWorkDict : Dic_eDictFile);
  const char* failure = nullptr;
  if (!dic->Open(true))
    failure = "Error opening dictionary '%s'. May not exist.";
  else if (!dic->DictLoad())
    failure = "Error loading dictionary '%s'. Possibly corrupt.";
  else if (!dic->ReorderSections())
    failure = "Error loading dictionary '%s'. Can\u00B4t reorder sections.";  // the acute accent, as always
  else if (dic->numVars == 0)
    failure = "Error loading dictionary '%s'. Dictionary doesn't have variables.";
  else if (dic->numSecs == 0)
    failure = "Error loading dictionary '%s'. Dictionary doesn't have sections.";
  else if (!SectionLevelsKnown(*dic) || !VariablesNamed(*dic))
    failure = "Error loading dictionary '%s'. Possibly corrupt.";
  if (failure) {
    ReportFormat(failure, inputPath.c_str());
    return nullptr;
  }
  return dic;
}

std::unique_ptr<Dic> CVeskVornConv::BuildDictionary(const CString& inputPath, bool showProgress, CProgressDlg& dialog) {
  std::unique_ptr<Dic> dic = LoadVeskDictionary(inputPath);
  if (!dic) return nullptr;

  PrepareIdItems(*dic);
  m_pDataDict = new CDataDict;
  if (showProgress) {
    dialog.SetRange(1, dic->numVars);
    dialog.SetStep(1);
  }
  MakeDictHeader(*dic);
  MakeRecords(*dic, showProgress, &dialog);

  if (showProgress) dialog.SetStatus(IDS_VALIDATING);
  CDDRuleMgr rules;
  rules.SetCurrDict(m_pDataDict);
  rules.IsValid(m_pDataDict, false, true, false);  // advisory: saved whatever it says
  return dic;
}

std::unique_ptr<CDataDict> CVeskVornConv::ReadDictionary(const CString& inputPath) {
  CProgressDlg dialog;
  InitSpecialValues();
  if (!BuildDictionary(inputPath, false, dialog)) return nullptr;
  std::unique_ptr<CDataDict> dict(m_pDataDict);
  m_pDataDict = nullptr;
  dict->BuildNameList();
  return dict;
}

bool CVeskVornConv::Convert(CString inputPath, CString outputPath, bool showProgress, bool wantForms) {
  const CString dcfPath = DcfPathFor(outputPath);
  const CString fmfPath = FmfPathFor(outputPath);
  CProgressDlg dialog;  // closed, like the dictionary, however the conversion ends
  if (showProgress) {
    dialog.Create();
    dialog.SetWindowText(LoadResString(IDS_APP_TITLE));
    dialog.SetStatus(IDS_CONVERTING);
  }
  InitSpecialValues();
  if (!CheckOutputsWritable(dcfPath, fmfPath, wantForms)) return false;

  std::unique_ptr<Dic> dic = BuildDictionary(inputPath, showProgress, dialog);
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
    ReportFormat("There is no forms to generate. Form File '%s' (Dic '%s') will be not generated", fmfPath.c_str(),
                 dic->dicName.c_str());
  } else if (wantForms && !ConvertForms(*dic, dcfPath, fmfPath, showProgress, dialog)) {
    return false;
  }
  return true;
}

// The forms file is written only once it is complete: a failure or Cancel here leaves the
// new dictionary whole and the previous forms file as it was.
bool CVeskVornConv::ConvertForms(Dic& dic, const CString& dcfPath, const CString& fmfPath, bool showProgress,
                                 CProgressDlg& dialog) {
  m_pFormFile = new CDEFormFile;
  m_pFormFile->SetFileName(fmfPath);
  m_pFormFile->IsPathOn(true);
  m_pFormFile->ConvertRoster(true);
  m_pFormFile->SetDataDict(m_pDataDict);
  MeasureFonts(m_pFormFile);
  if (showProgress) {
    dialog.SetStatus(IDS_CONVERTING);
    dialog.SetRange(1, 100);
    dialog.SetStep(1);
    dialog.SetPos(1);
    if (dialog.CheckCancelButton()) return false;
  }
  if (showProgress) dialog.SetPos(15);
  MakeFormFileHeader(dic, dcfPath);
  if (showProgress) {
    dialog.SetPos(45);
    dialog.SetPos(65);
  }
  MakeForms(dic);
  if (showProgress) {
    dialog.SetPos(100);
    dialog.SetStatus(IDS_SAVING);
    if (dialog.CheckCancelButton()) return false;
  }
  m_pFormFile->UpdatePointers();
  if (m_pFormFile->Save(fmfPath)) {
    m_written.forms = fmfPath;
    m_written.formCount = m_pFormFile->GetNumForms();
    return true;
  }
  ReportSaveFailure("forms file", fmfPath, m_pFormFile->GetLastError());
  return false;
}

bool CConvertApp::ConvertVESK(const CVornString& input, const CVornString& output, bool forms) {
  auto converter = std::make_unique<CVeskVornConv>();
  const bool ran = converter->Convert(input, output, true, forms);
  m_written = converter->Written();
  // Kind 3 has written its output once the dictionary is saved; kind 4 once the forms
  // file is saved too, or when the conversion ran to its end without forms to write.
  if (forms ? converter->FormsSaved() || (ran && converter->DictionarySaved()) : converter->DictionarySaved())
    MarkOutputWritten();
  return true;
}
