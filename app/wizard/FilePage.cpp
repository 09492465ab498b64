#include "app/wizard/FilePage.h"

#include <QEvent>
#include <filesystem>
#include <system_error>

#include "app/ConvertApp.h"
#include "libs/util/FileNames.h"
#include "res/StringTable.h"

namespace {

CVornString ResString(int id) { return CVornString(LoadResString(id)); }

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

// The folder of a full path: up to its last '/', or "/" for a file in the root folder.
std::string FolderPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

// The current directory, or nothing when it is gone.
std::string CurrentFolder() {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::current_path(ec);
  return ec ? std::string() : folder.string();
}

// Only a changed text is written, so that the cursor stays where the user left it.
void SetText(QLineEdit* edit, const CVornString& text) {
  const QString value = ToQString(text);
  if (edit->text() != value) edit->setText(value);
}

void SetText(QLabel* label, const CVornString& text) { label->setText(ToQString(text)); }

}  // namespace

CFilePage::CFilePage()
    : CWizardPage(IDD_FILE_NAMES, QStringLiteral("Convert File Names")),
      m_inputLabel(Place(new QLabel(QStringLiteral("Label A")), 3, 0, 148, 9)),
      m_inputEdit(Place(new QLineEdit, 0, 13, 230, 13)),
      m_inputBrowse(Place(new QPushButton(QStringLiteral("&Browse...")), 235, 13, 40, 14)),
      m_outputLabel(Place(new QLabel(QStringLiteral("Label B")), 2, 35, 140, 9)),
      m_outputEdit(Place(new QLineEdit, 0, 48, 230, 13)),
      m_outputBrowse(Place(new QPushButton(QStringLiteral("B&rowse...")), 235, 48, 40, 14)) {
  m_inputLabel->setBuddy(m_inputEdit);
  m_outputLabel->setBuddy(m_outputEdit);
  // Enter finishes the wizard, as in every other page, rather than opening a dialog.
  m_inputBrowse->setAutoDefault(false);
  m_outputBrowse->setAutoDefault(false);

  connect(m_inputBrowse, &QPushButton::clicked, this, &CFilePage::OnBrowseInput);
  connect(m_outputBrowse, &QPushButton::clicked, this, &CFilePage::OnBrowseOutput);
  // Only the user's edits count: the page's own writes into the boxes must not undo a
  // name the save dialog has already confirmed.
  connect(m_inputEdit, &QLineEdit::textEdited, this, &CFilePage::OnEdited);
  connect(m_outputEdit, &QLineEdit::textEdited, this, &CFilePage::OnEdited);
  m_inputEdit->installEventFilter(this);
  m_outputEdit->installEventFilter(this);
}

void CFilePage::UpdateData(bool save) {
  if (save) {
    m_sInputLabel = m_inputLabel->text().toStdString();
    m_sInputFile = m_inputEdit->text().toStdString();
    m_sOutputLabel = m_outputLabel->text().toStdString();
    m_sOutputFile = m_outputEdit->text().toStdString();
  } else {
    SetText(m_inputLabel, m_sInputLabel);
    SetText(m_inputEdit, m_sInputFile);
    SetText(m_outputLabel, m_sOutputLabel);
    SetText(m_outputEdit, m_sOutputFile);
  }
}

void CFilePage::LoadKindStrings() {
  const ConversionKindInfo* info = Sheet() ? FindConversionKind(Sheet()->GetKind()) : nullptr;
  if (!info) return;
  m_sInputLabel = ResString(info->inputLabel);
  m_sInputTitle = ResString(info->inputTitle);
  m_sInputExt = ResString(info->inputExt);
  m_sInputFilter = ResString(info->inputFilter);
  m_sOutputLabel = ResString(info->outputLabel);
  m_sOutputTitle = ResString(info->outputTitle);
  m_sOutputExt = ResString(info->outputExt);
  m_sOutputFilter = ResString(info->outputFilter);
}

void CFilePage::OnSetActive() {
  m_bCheckOutput = 1;
  m_sInputFile.Empty();
  m_sOutputFile.Empty();
  LoadKindStrings();
  UpdateData(false);
}

int CFilePage::BackTarget() const {
  const CConvertSheet* sheet = Sheet();
  return sheet && sheet->GetKind() < KIND_VESK_TO_TRAVO ? IDD_ORVA : IDD_VESK;
}

void CFilePage::OnEdited() {
  UpdateData(true);
  m_bCheckOutput = 1;
}

bool CFilePage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == m_inputEdit) UpdateData(false);
    if (watched == m_outputEdit) OnOutputFocus();
  }
  return CWizardPage::eventFilter(watched, event);
}

std::string CFilePage::FolderSetting(const char* key) const {
  return Sheet()->Settings().GetString(QString::fromUtf8(key)).toStdString();
}

void CFilePage::SetFolderSetting(const char* key, const std::string& folder) const {
  Sheet()->Settings().WriteString(QString::fromUtf8(key), ToQString(folder));
}

void CFilePage::ProposeOutputName() {
  const std::string folder = FolderSetting(kKeyFromFolder);
  SetFolderSetting(kKeyToFolder, folder);
  // The extension is cut from the file name only: a '.' in a folder name stays.
  std::string name = FileNamePart(m_sInputFile);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  m_sOutputFile = JoinPath(folder, name + "." + m_sOutputExt);
}

void CFilePage::ShowMessage(QLineEdit* focusBox) {
  Reporter().ShowMessage(m_sMessage, 0);
  focusBox->setFocus(Qt::OtherFocusReason);
}

void CFilePage::ReportInvalidName(const CVornString& name, QLineEdit* box) {
  m_sMessage = name + ResString(IDS_INVALID_PATH);
  ShowMessage(box);
}

void CFilePage::ChangeDirectory(std::string folder) {
  if (folder.empty()) return;
  // A name typed relative to the folder the user was in keeps naming that file.
  for (CVornString* name : {&m_sInputFile, &m_sOutputFile}) {
    if (!name->IsBlank()) *name = VornGetFullFileName(*name);
  }
  // A remembered folder that is gone leaves the current one.
  std::error_code ec;
  std::filesystem::current_path(folder, ec);
}

void CFilePage::OnBrowseInput() {
  Browse(true, [this] {
    if (m_sOutputFile.IsBlank()) ProposeOutputName();
  });
}

void CFilePage::OnBrowseOutput() {
  // The save dialog has asked about replacing the file already.
  Browse(false, [this] { m_bCheckOutput = 0; });
}

void CFilePage::Browse(bool input, const std::function<void()>& afterChoice) {
  CVornString& name = input ? m_sInputFile : m_sOutputFile;
  QLineEdit* box = input ? m_inputEdit : m_outputEdit;
  const char* folderKey = input ? kKeyFromFolder : kKeyToFolder;
  if (!IsWinFileName(name)) {
    ReportInvalidName(name, box);
    return;
  }
  ChangeDirectory(FolderSetting(folderKey));
  const FileDialogRequest request{input,
                                  ToQString(input ? m_sInputTitle : m_sOutputTitle),
                                  ToQString(input ? m_sInputExt : m_sOutputExt),
                                  ToQString(name),
                                  ToQString(input ? m_sInputFilter : m_sOutputFilter),
                                  ToQString(CurrentFolder())};
  if (const std::optional<QString> chosen = m_chooser(this, request)) {
    name = VornGetFullFileName(chosen->toStdString());
    SetFolderSetting(folderKey, FolderPart(name));
    afterChoice();
  }
  UpdateData(false);
  box->setFocus(Qt::OtherFocusReason);
}

void CFilePage::OnOutputFocus() {
  // With no input there is nothing to complete, and nothing to propose an output from.
  if (m_sInputFile.IsBlank()) return;
  m_sInputFile = VornGetFullFileName(m_sInputFile);
  if (IsFolder(m_sInputFile)) {
    // A folder: remember it and leave a name that only lacks the file's own part.
    ChangeDirectory(m_sInputFile);
    SetFolderSetting(kKeyFromFolder, m_sInputFile);
    m_sInputFile = JoinPath(m_sInputFile, "." + m_sInputExt);
  } else {
    const std::string folder = FolderPart(m_sInputFile);
    ChangeDirectory(folder);
    SetFolderSetting(kKeyFromFolder, folder);
    // Any '.' in the path, in a folder name too, counts as an extension given.
    if (m_sInputFile.Find('.') < 0) m_sInputFile += "." + m_sInputExt;
    m_sInputFile = VornGetFullFileName(m_sInputFile);
  }
  if (m_sOutputFile.IsBlank()) ProposeOutputName();
  UpdateData(false);
}

bool CFilePage::CheckName(const CVornString& name, QLineEdit* box, const char* blankMessage,
                          const std::function<bool()>& usable) {
  if (name.IsBlank()) {
    m_sMessage = blankMessage;
    ShowMessage(box);
    return false;
  }
  if (!IsWinFileName(name)) {
    ReportInvalidName(name, box);
    return false;
  }
  if (!usable()) {  // it has told the user why
    box->setFocus(Qt::OtherFocusReason);
    return false;
  }
  return true;
}

bool CFilePage::OnWizardFinish() {
  UpdateData(true);
  if (!CheckName(m_sInputFile, m_inputEdit, "No input file name given!",
                 [this] { return IsVornFileNameOK(Reporter(), 1, m_sInputFile, m_sInputExt, 0) != 0; }))
    return false;
  // Every file the conversion writes is checked, and asked about when it exists.
  const int kind = Sheet() ? Sheet()->GetKind() : -1;
  if (!CheckName(m_sOutputFile, m_outputEdit, "No output file name given!", [this, kind] {
        return CheckConversionOutputs(Reporter(), kind, m_sInputFile, m_sOutputFile, m_bCheckOutput);
      }))
    return false;
  UpdateData(false);
  return true;
}
