#pragma once
// The wizard's remembered choices: section "Settings" of the per-user settings of the
// organization and application given (an INI file under the user's config folder).
// Each write is flushed at once, so a value survives a run that ends right after it.
#include <QString>

inline constexpr const char* kDefaultOrganization = "Quorvane";

class CWizardSettings {
 public:
  // The organization is a parameter so that tests can keep away from the user's own.
  CWizardSettings(QString organization, QString application);

  QString GetString(const QString& key, const QString& defaultValue = QString()) const;
  void WriteString(const QString& key, const QString& value) const;

  const QString& organization() const { return m_sOrganization; }
  const QString& application() const { return m_sApplication; }

 private:
  QString m_sOrganization;
  QString m_sApplication;
};

// The keys the pages use.
inline constexpr const char* kKeyFromTo = "FromTo";
inline constexpr const char* kKeyFromFolder = "From Folder";
inline constexpr const char* kKeyToFolder = "To Folder";
