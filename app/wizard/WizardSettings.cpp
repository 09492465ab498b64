#include "app/wizard/WizardSettings.h"

#include <QSettings>

namespace {

constexpr const char* kSection = "Settings";

}  // namespace

CWizardSettings::CWizardSettings(QString organization, QString application)
    : m_sOrganization(std::move(organization)), m_sApplication(std::move(application)) {}

QString CWizardSettings::GetString(const QString& key, const QString& defaultValue) const {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, m_sOrganization, m_sApplication);
  settings.beginGroup(kSection);
  return settings.value(key, defaultValue).toString();
}

void CWizardSettings::WriteString(const QString& key, const QString& value) const {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, m_sOrganization, m_sApplication);
  settings.beginGroup(kSection);
  settings.setValue(key, value);
  settings.endGroup();
  settings.sync();
}
