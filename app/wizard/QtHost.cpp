#include "app/wizard/QtHost.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

constexpr unsigned kButtonsMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

// A modeless progress window. Qt only paints it and notices the Cancel button while
// events are processed, so every call from the converter processes them.
class QtProgressWindow final : public IProgressWindow {
 public:
  explicit QtProgressWindow(const QString& title) {
    m_dialog.setWindowTitle(title);
    m_dialog.setWindowModality(Qt::NonModal);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.setMinimumDuration(0);
    m_dialog.setRange(0, 100);
    m_dialog.setValue(0);
    m_dialog.show();
    Pump();
  }
  ~QtProgressWindow() override { Close(); }

  void SetTitle(const std::string& title) override {
    m_dialog.setWindowTitle(QString::fromStdString(title));
    Pump();
  }
  void SetRange(int lower, int upper) override { m_dialog.setRange(lower, upper); }
  void SetPos(int pos) override {
    m_dialog.setValue(pos);
    Pump();
  }
  void SetStatus(const std::string& status) override {
    m_dialog.setLabelText(QString::fromStdString(status));
    Pump();
  }
  bool CancelPressed() override {
    Pump();
    return m_dialog.wasCanceled();
  }
  void Close() override { m_dialog.hide(); }

 private:
  static void Pump() { QCoreApplication::processEvents(); }

  QProgressDialog m_dialog;
};

}  // namespace

MessageBoxLook LookOfStyle(unsigned style) {
  MessageBoxLook look{QMessageBox::NoIcon, QMessageBox::Ok};
  if ((style & kButtonsMask) == MB_YESNO) look.buttons = QMessageBox::Yes | QMessageBox::No;
  switch (style & kIconMask) {
    case MB_ICONHAND:
      look.icon = QMessageBox::Critical;
      break;
    case MB_ICONQUESTION:
      look.icon = QMessageBox::Question;
      break;
    case MB_ICONEXCLAMATION:
      look.icon = QMessageBox::Warning;
      break;
    case MB_ICONINFORMATION:
      look.icon = QMessageBox::Information;
      break;
    default:
      break;
  }
  return look;
}

CQtHost::CQtHost(QString title) : m_sTitle(std::move(title)) {}

int CQtHost::ShowMessage(const std::string& text, unsigned style) {
  const MessageBoxLook look = LookOfStyle(style);
  QMessageBox box(look.icon, m_sTitle, QString::fromStdString(text), look.buttons,
                  QApplication::activeWindow());
  // Names in messages may hold '<' or '&'; they are shown as typed.
  box.setTextFormat(Qt::PlainText);
  const int answer = box.exec();
  if (look.buttons & QMessageBox::Yes) return answer == QMessageBox::Yes ? IDYES : IDNO;
  return IDOK;
}

std::unique_ptr<IProgressWindow> CQtHost::OpenProgress() {
  return std::make_unique<QtProgressWindow>(m_sTitle);
}
