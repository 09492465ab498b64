#pragma once
// The file names page: the input and output names for the chosen kind, with file
// dialogs, completion of a typed input name, a proposed output name, remembered folders
// and the checks that must pass before the wizard may finish.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "app/wizard/ConvertSheet.h"
#include "app/wizard/FileDialog.h"
#include "libs/util/VornString.h"

inline constexpr int IDS_INVALID_PATH = 151;  // "\n\nThis path name contains invalid characters."

class CFilePage : public CWizardPage {
  Q_OBJECT

 public:
  CFilePage();

  void OnSetActive() override;
  int BackTarget() const override;
  int NextTarget() const override { return -1; }  // the last page: Finish
  bool validatePage() override { return OnWizardFinish(); }

  // Data exchange between the four text members and their controls.
  void UpdateData(bool save);

  void OnBrowseInput();
  void OnBrowseOutput();
  // The output box got the focus: completes the input name, proposes an output name.
  void OnOutputFocus();
  // The checks of Finish, in order; false (after telling the user) keeps the page open.
  bool OnWizardFinish();

  // The file dialog; tests put a scripted one in.
  void SetFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

  QLabel* InputLabel() const { return m_inputLabel; }
  QLineEdit* InputEdit() const { return m_inputEdit; }
  QPushButton* InputBrowse() const { return m_inputBrowse; }
  QLabel* OutputLabel() const { return m_outputLabel; }
  QLineEdit* OutputEdit() const { return m_outputEdit; }
  QPushButton* OutputBrowse() const { return m_outputBrowse; }

  CVornString m_sInputLabel;
  CVornString m_sInputFile;  // the input name handed to the converter
  CVornString m_sOutputLabel;
  CVornString m_sOutputFile;  // the output name handed to the converter
  CVornString m_sInputTitle = "? Title";
  CVornString m_sInputExt = "*";
  CVornString m_sInputFilter = "All Files (*.*)|*.*||";
  CVornString m_sOutputTitle = "? Title";
  CVornString m_sOutputExt = "*";
  CVornString m_sOutputFilter = "All Files (*.*)|*.*||";
  // Whether the output check at Finish asks before replacing an existing file: not when
  // the name came from the save dialog, which has asked already.
  int m_bCheckOutput = 1;
  CVornString m_sMessage;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LoadKindStrings();
  // Either Browse button: refuses a name with invalid characters, else opens the dialog
  // in the remembered folder and takes over the chosen file and its folder, then runs
  // afterChoice. Leaves the focus in the box.
  void Browse(bool input, const std::function<void()>& afterChoice);
  void OnEdited();
  // Proposes the output name: the input's file name with the output extension, in the
  // remembered input folder, which becomes the remembered output folder too.
  void ProposeOutputName();
  // One box's checks at Finish (blank, characters, then usable, which tells the user why
  // when it fails); false after telling the user, with the focus in the box.
  bool CheckName(const CVornString& name, QLineEdit* box, const char* blankMessage,
                 const std::function<bool()>& usable);
  // Shows name followed by string 151 and moves the focus to box.
  void ReportInvalidName(const CVornString& name, QLineEdit* box);
  void ShowMessage(QLineEdit* focusBox);
  // Makes folder the current directory; names in the boxes become full paths first.
  void ChangeDirectory(std::string folder);
  void SetFolderSetting(const char* key, const std::string& folder) const;
  std::string FolderSetting(const char* key) const;

  QLabel* m_inputLabel;
  QLineEdit* m_inputEdit;
  QPushButton* m_inputBrowse;
  QLabel* m_outputLabel;
  QLineEdit* m_outputEdit;
  QPushButton* m_outputBrowse;
  FileChooser m_chooser = RunFileDialog;
};
