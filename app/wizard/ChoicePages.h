#pragma once
// The family page and the two choice pages: a frame over the page and a group of radio
// buttons whose selected index is the page's one value.
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <vector>

#include "app/wizard/ConvertSheet.h"

// A radio button as the dialog template places it (dialog units).
struct RadioControl {
  const char* text;
  int y;
  int width;
};

class CRadioPage : public CWizardPage {
  Q_OBJECT

 public:
  CRadioPage(int dialogId, const QString& caption, const QString& frameText,
             const std::vector<RadioControl>& buttons);

  // Data exchange: save reads the selected button into m_nSelected; otherwise the
  // member selects its button.
  void UpdateData(bool save);

  QGroupBox* Frame() const { return m_frame; }
  QRadioButton* Button(int index) const;
  int ButtonCount() const { return static_cast<int>(m_group->buttons().size()); }

  int m_nSelected = 0;  // index of the selected radio button

 protected:
  // The index the buttons show now, without storing it.
  int CheckedIndex() const;

 private:
  QGroupBox* m_frame;
  QButtonGroup* m_group;
};

// Family: ORVA or VESK. Remembers the last family in "FromTo".
class CConvPage : public CRadioPage {
  Q_OBJECT

 public:
  CConvPage();
  void OnSetActive() override;
  bool validatePage() override;
  int NextTarget() const override;
};

// ORVA choice: kinds 0, 1, 2.
class CORVAPage : public CRadioPage {
  Q_OBJECT

 public:
  CORVAPage();
  bool validatePage() override;
  int NextTarget() const override { return IDD_FILE_NAMES; }
  int BackTarget() const override { return IDD_CONVERT; }
};

// VESK choice: kinds 3 and 4; Next goes to the adjacent page, the file names page.
class CVESKPage : public CRadioPage {
  Q_OBJECT

 public:
  CVESKPage();
  bool validatePage() override;
  int BackTarget() const override { return IDD_CONVERT; }
};
