#pragma once
// The wizard's host: converters' messages in QMessageBox, their progress in a
// QProgressDialog whose Cancel button they poll.
#include <QMessageBox>
#include <QString>

#include "libs/util/Reporter.h"

// The icon and buttons of a box of the given style (MB_* values).
struct MessageBoxLook {
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
};
MessageBoxLook LookOfStyle(unsigned style);

class CQtHost final : public IReporter {
 public:
  // title: the title of every box and of the progress window until a converter sets one.
  explicit CQtHost(QString title);

  int Report(const Message& message) override { return ShowMessage(message.text, message.style); }
  int ShowMessage(const std::string& text, unsigned style);
  std::unique_ptr<IProgressWindow> OpenProgress() override;

 private:
  QString m_sTitle;
};
