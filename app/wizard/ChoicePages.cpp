#include "app/wizard/ChoicePages.h"

#include "app/ConvertApp.h"

namespace {

// A frame covers the whole page; the radio buttons stand at x 25 and are 10 units high.
constexpr int kRadioX = 25;
constexpr int kRadioHeight = 10;

const char* const kFamilyOrva = "ORVA";
const char* const kFamilyVesk = "VESK";

}  // namespace

CRadioPage::CRadioPage(int dialogId, const QString& caption, const QString& frameText,
                       const std::vector<RadioControl>& buttons)
    : CWizardPage(dialogId, caption),
      m_frame(Place(new QGroupBox(frameText), 0, 0, kPageWidthDu, kPageHeightDu)),
      m_group(new QButtonGroup(this)) {
  int index = 0;
  for (const RadioControl& control : buttons) {
    auto* button = Place(new QRadioButton(QString::fromUtf8(control.text)), kRadioX, control.y,
                         control.width, kRadioHeight);
    m_group->addButton(button, index++);
  }
  UpdateData(false);
}

QRadioButton* CRadioPage::Button(int index) const {
  return qobject_cast<QRadioButton*>(m_group->button(index));
}

int CRadioPage::CheckedIndex() const { return m_group->checkedId(); }

void CRadioPage::UpdateData(bool save) {
  if (save) {
    m_nSelected = CheckedIndex();
  } else if (QAbstractButton* button = m_group->button(m_nSelected)) {
    button->setChecked(true);
  }
}

CConvPage::CConvPage()
    : CRadioPage(IDD_CONVERT, QStringLiteral("Convert"), QStringLiteral("Choose type of conversion"),
                 {{"Between Travo and ORVA", 21, 146}, {"Between Travo and VESK", 40, 146}}) {}

void CConvPage::OnSetActive() {
  // Only the exact text "ORVA" means ORVA; anything else stored means VESK.
  const QString family =
      Sheet()->Settings().GetString(kKeyFromTo, QString::fromUtf8(kFamilyOrva));
  m_nSelected = family == QString::fromUtf8(kFamilyOrva) ? 0 : 1;
  UpdateData(false);
}

bool CConvPage::validatePage() {
  UpdateData(true);
  Sheet()->Settings().WriteString(kKeyFromTo,
                                  QString::fromUtf8(m_nSelected == 1 ? kFamilyVesk : kFamilyOrva));
  return true;
}

int CConvPage::NextTarget() const { return CheckedIndex() == 1 ? IDD_VESK : IDD_ORVA; }

CORVAPage::CORVAPage()
    : CRadioPage(IDD_ORVA, QStringLiteral("Convert ORVA"), QStringLiteral("ORVA Data Dictionaries"),
                 {{"ORVA 3.1 to Travo", 17, 146},
                  {"ORVA 4.1 to Travo", 32, 146},
                  {"Travo to ORVA 3.1", 47, 146}}) {}

bool CORVAPage::validatePage() {
  UpdateData(true);
  Sheet()->SetKind(KIND_ORVA31_TO_TRAVO + m_nSelected);
  return true;
}

CVESKPage::CVESKPage()
    : CRadioPage(IDD_VESK, QStringLiteral("Convert VESK"), QStringLiteral("VESK Data Dictionaries"),
                 {{"VESK to Travo Data Dictionary only", 20, 146},
                  {"VESK to Travo Forms and Data Dictionary", 39, 171}}) {}

bool CVESKPage::validatePage() {
  UpdateData(true);
  Sheet()->SetKind(KIND_VESK_TO_TRAVO + m_nSelected);
  return true;
}
