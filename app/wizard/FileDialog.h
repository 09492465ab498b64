#pragma once
// The file dialogs of the file names page, behind a function the tests replace.
#include <QString>
#include <functional>
#include <optional>

class QWidget;

struct FileDialogRequest {
  bool open = true;      // an open dialog for the input, a save dialog for the output
  QString title;
  QString defaultExt;    // "dd", or a list such as "dic,wst"
  QString fileName;      // the name in the box
  QString filter;        // "Name (*.x)|*.x|...||"
  QString folder;        // where the dialog opens
};

// Shows a file dialog; the chosen file's path, or nothing when the user cancelled.
using FileChooser = std::function<std::optional<QString>(QWidget* parent, const FileDialogRequest&)>;

// The real one: a QFileDialog. The save dialog asks before it replaces a file.
std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogRequest& request);

// "ORVA 3.1 Dict (*.dd)|*.dd|All Files (*.*)|*.*||" as QFileDialog filters:
// "ORVA 3.1 Dict (*.dd);;All Files (*)". "*.*" becomes "*", which on Linux also matches
// names without a dot, as "*.*" did on the old system.
QString ConvertFileFilter(const QString& filter);
