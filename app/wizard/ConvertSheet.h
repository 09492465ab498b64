#pragma once
// The conversion wizard's sheet and the page base: a QWizard whose pages carry the old
// dialog ids and choose their own Next and Back targets.
#include <QIcon>
#include <QString>
#include <QWizard>
#include <QWizardPage>
#include <vector>

#include "app/wizard/DialogUnits.h"
#include "app/wizard/WizardSettings.h"
#include "libs/util/Reporter.h"

// The page ids: the ids of the pages' dialog templates.
enum : int {
  IDD_CONVERT = 102,     // family: ORVA or VESK
  IDD_FILE_NAMES = 134,  // input and output names
  IDD_ORVA = 135,        // ORVA choice
  IDD_VESK = 136,        // VESK choice
};
// Every page's template is 275 x 70 dialog units.
inline constexpr int kPageWidthDu = 275;
inline constexpr int kPageHeightDu = 70;
inline constexpr int IDS_ABOUT_BUTTON = 100;  // "&About Mollox..."
inline constexpr const char* kAboutProgramName = "Mollox";

class CConvertSheet;

class CWizardPage : public QWizardPage {
  Q_OBJECT

 public:
  // A page in the dialog font with its caption as title.
  CWizardPage(int dialogId, const QString& caption);

  int dialogId() const { return m_nDialogId; }

  // Runs each time the page becomes the current one, going forward or back.
  virtual void OnSetActive() {}
  // Where Next goes: a page id, or 0 for the page after this one in the sheet's order.
  // Asked often by QWizard, so it has no side effects; those belong in validatePage.
  virtual int NextTarget() const { return 0; }
  // Where Back goes: a page id, or 0 for the page before this one in the sheet's order.
  virtual int BackTarget() const { return 0; }

  int nextId() const override;
  // The template's size: the controls stand at fixed places within it.
  QSize sizeHint() const override { return minimumSize(); }

 protected:
  CConvertSheet* Sheet() const;
  // The sheet's reporter; a silent one while the page is on no sheet.
  IReporter& Reporter() const;
  const DialogUnits& Units() const { return m_units; }
  // Puts control on the page at a rectangle given in dialog units.
  template <class Control>
  Control* Place(Control* control, int x, int y, int width, int height) {
    control->setParent(this);
    control->setGeometry(m_units.ToPixels(x, y, width, height));
    return control;
  }

 private:
  int m_nDialogId;
  DialogUnits m_units;
};

class CConvertSheet : public QWizard {
  Q_OBJECT

 public:
  // Caption from the string table (start-up passes the application title) or as text.
  // Settings go to section "Settings" of organization / the application title.
  explicit CConvertSheet(int captionId, const QString& organization = kDefaultOrganization,
                         QWidget* parent = nullptr);
  CConvertSheet(const QString& caption, const QString& organization, QWidget* parent = nullptr);

  // Adds a page after the ones already added; the first one is the start page.
  void AddPage(CWizardPage* page);

  // The conversion kind 0 to 5, set by the choice pages' Next; -1 before.
  int GetKind() const { return m_nKind; }
  void SetKind(int kind) { m_nKind = kind; }

  const CWizardSettings& Settings() const { return m_settings; }
  // Where the pages' messages and questions go: the program's host (silent until set).
  IReporter& Reporter() const { return *m_pReporter; }
  void SetReporter(IReporter& reporter) { m_pReporter = &reporter; }
  const QIcon& Icon() const { return m_hIcon; }

  // The page next to id in the sheet's order (step +1 or -1), -1 when there is none.
  int AdjacentPage(int id, int step) const;
  CWizardPage* Page(int id) const;

  // Back to target, a page visited in this run; the history leads there.
  void GoBackTo(int target);
  void OnAbout();

  // As small as the pages and buttons allow, as the old sheet was (QWizard would
  // stretch it to at least 500 x 360 pixels).
  QSize sizeHint() const override { return minimumSize(); }

 private:
  void Init(const QString& caption);
  void OnBack();
  void OnCurrentIdChanged(int id);

  std::vector<int> m_order;  // page ids in the order they were added
  int m_nKind = -1;
  QIcon m_hIcon;
  CWizardSettings m_settings;
  CSilentReporter m_silent;
  IReporter* m_pReporter = &m_silent;
};

// The sheet's icon (the application's icon), from the wizard's resources.
QIcon ConvertIcon();
