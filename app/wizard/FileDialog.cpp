#include "app/wizard/FileDialog.h"

#include <QFileDialog>
#include <QRegularExpression>
#include <QStringList>

namespace {

// The display name without a trailing "(patterns)", which the converted filter rebuilds.
QString DisplayName(const QString& name) {
  static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  QString display = name;
  display.remove(trailingPatterns);
  return display.trimmed();
}

QString ConvertPatterns(const QString& patterns) {
  QStringList converted;
  for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const QString trimmed = pattern.trimmed();
    if (trimmed.isEmpty()) continue;
    converted << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
  }
  return converted.join(QLatin1Char(' '));
}

// A dialog appends one extension; of a list such as "dic,wst" the first, "*" none.
QString DialogSuffix(const QString& ext) {
  const QString first = ext.section(QLatin1Char(','), 0, 0).trimmed();
  return first == QStringLiteral("*") ? QString() : first;
}

}  // namespace

QString ConvertFileFilter(const QString& filter) {
  // Pairs of display name and patterns; an empty name (the closing "||") ends the list.
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    const QString patterns = ConvertPatterns(parts[i + 1]);
    if (patterns.isEmpty()) continue;
    filters << QStringLiteral("%1 (%2)").arg(DisplayName(parts[i]), patterns);
  }
  return filters.join(QStringLiteral(";;"));
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogRequest& request) {
  QFileDialog dialog(parent, request.title, request.folder, ConvertFileFilter(request.filter));
  dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setDefaultSuffix(DialogSuffix(request.defaultExt));
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.first();
}
