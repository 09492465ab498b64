#include "app/wizard/ConvertSheet.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <algorithm>

#include "res/StringTable.h"

// Resources are compiled into the wizard's static library; registering them here keeps
// the linker from dropping them.
static void InitWizardResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(wizard);
    return true;
  }();
  (void)registered;
}

namespace {

QString ResString(int id) {
  const char* text = LoadResString(id);
  return text ? QString::fromUtf8(text) : QString();
}

}  // namespace

QIcon ConvertIcon() {
  InitWizardResources();
  return QIcon(QStringLiteral(":/travo/travo.png"));
}

CWizardPage::CWizardPage(int dialogId, const QString& caption)
    : m_nDialogId(dialogId), m_units(DialogFont()) {
  setFont(DialogFont());
  setTitle(caption);
  setMinimumSize(m_units.ToPixels(0, 0, kPageWidthDu, kPageHeightDu).size());
}

CConvertSheet* CWizardPage::Sheet() const { return qobject_cast<CConvertSheet*>(wizard()); }

IReporter& CWizardPage::Reporter() const {
  static CSilentReporter nobody;  // holds no state: every call answers alike
  return Sheet() ? Sheet()->Reporter() : nobody;
}

int CWizardPage::nextId() const {
  const int target = NextTarget();
  if (target != 0) return target;
  const CConvertSheet* sheet = Sheet();
  return sheet ? sheet->AdjacentPage(m_nDialogId, +1) : -1;
}

CConvertSheet::CConvertSheet(int captionId, const QString& organization, QWidget* parent)
    : QWizard(parent), m_settings(organization, ResString(IDS_APP_TITLE)) {
  Init(ResString(captionId));
}

CConvertSheet::CConvertSheet(const QString& caption, const QString& organization, QWidget* parent)
    : QWizard(parent), m_settings(organization, ResString(IDS_APP_TITLE)) {
  Init(caption);
}

void CConvertSheet::Init(const QString& caption) {
  m_hIcon = ConvertIcon();
  setWindowTitle(caption);
  setWindowIcon(m_hIcon);
  setFont(DialogFont());
  setWizardStyle(QWizard::ClassicStyle);

  // The old system menu's about item, as a button at the left of the wizard's row.
  const QString about = ResString(IDS_ABOUT_BUTTON);
  QList<QWizard::WizardButton> layout;
  if (!about.isEmpty()) {
    setOption(QWizard::HaveCustomButton1, true);
    setButtonText(QWizard::CustomButton1, about);
    connect(this, &QWizard::customButtonClicked, this, [this](int which) {
      if (which == QWizard::CustomButton1) OnAbout();
    });
    layout << QWizard::CustomButton1;
  }
  layout << QWizard::Stretch << QWizard::BackButton << QWizard::NextButton
         << QWizard::FinishButton << QWizard::CancelButton;
  setButtonLayout(layout);

  // Back goes where the page says, not merely one step down QWizard's history.
  QAbstractButton* back = button(QWizard::BackButton);
  disconnect(back, nullptr, this, nullptr);
  connect(back, &QAbstractButton::clicked, this, &CConvertSheet::OnBack);

  connect(this, &QWizard::currentIdChanged, this, &CConvertSheet::OnCurrentIdChanged);
}

void CConvertSheet::AddPage(CWizardPage* page) {
  setPage(page->dialogId(), page);
  if (m_order.empty()) setStartId(page->dialogId());
  m_order.push_back(page->dialogId());
}

int CConvertSheet::AdjacentPage(int id, int step) const {
  const auto it = std::find(m_order.begin(), m_order.end(), id);
  if (it == m_order.end()) return -1;
  const auto index = (it - m_order.begin()) + step;
  if (index < 0 || index >= static_cast<std::ptrdiff_t>(m_order.size())) return -1;
  return m_order[static_cast<size_t>(index)];
}

CWizardPage* CConvertSheet::Page(int id) const { return qobject_cast<CWizardPage*>(page(id)); }

void CConvertSheet::GoBackTo(int target) {
  // QWizard can only go back along its history; the targets the pages name are always
  // on it (a choice page is reached only from the family page, the file names page only
  // from the choice page that set the kind).
  if (!visitedIds().contains(target)) return;
  while (currentId() != target) back();
}

void CConvertSheet::OnBack() {
  const CWizardPage* current = Page(currentId());
  if (!current) return;
  int target = current->BackTarget();
  if (target == 0) target = AdjacentPage(current->dialogId(), -1);
  if (target > 0) GoBackTo(target);
}

void CConvertSheet::OnCurrentIdChanged(int id) {
  if (CWizardPage* current = Page(id)) current->OnSetActive();
}

void CConvertSheet::OnAbout() {
  QMessageBox box(this);
  box.setWindowTitle(QStringLiteral("About %1").arg(QString::fromUtf8(kAboutProgramName)));
  box.setIconPixmap(m_hIcon.pixmap(64, 64));
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromUtf8(kAboutProgramName));
  box.setInformativeText(QStringLiteral("%1\nVersion 4.0").arg(ResString(IDS_APP_TITLE)));
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}
