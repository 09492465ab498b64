#pragma once
// How the layers beneath the programs tell the user something. A message is data: its text
// and the look of its box (buttons and icon), which also says how grave it is and whether it
// asks a question. It travels to a reporter that the running program supplies: Qt dialogs in
// the wizard, stderr in the command-line tool, a recorder in tests. Only that host shows
// messages and asks questions; nothing beneath the programs talks to the user itself.
#include <memory>
#include <string>
#include <vector>

// Message box looks and answers; the values are Windows', which the hosts map to their own.
enum : unsigned {
  MB_OK = 0x0,
  MB_YESNO = 0x4,
  MB_ICONHAND = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

enum class Severity { Plain, Information, Warning, Error, Question };

struct Message {
  std::string text;
  unsigned style = MB_OK;  // buttons and icon of the box that shows it

  bool IsQuestion() const { return (style & 0xF) == MB_YESNO; }
  // The answer taken when nobody can answer: No to a question, OK to the rest.
  int CautiousAnswer() const { return IsQuestion() ? IDNO : IDOK; }
  Severity GetSeverity() const;
};

// A modeless progress window with a bar, a status line and a Cancel button.
class IProgressWindow {
 public:
  virtual ~IProgressWindow() = default;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetRange(int lower, int upper) = 0;
  virtual void SetPos(int pos) = 0;
  virtual void SetStatus(const std::string& status) = 0;
  // Polled at the work's cancel points; true once the user pressed Cancel.
  virtual bool CancelPressed() = 0;
  virtual void Close() = 0;
};

class IReporter {
 public:
  virtual ~IReporter() = default;
  // Hands message to the user; returns IDOK, or IDYES / IDNO for a question.
  virtual int Report(const Message& message) = 0;
  virtual std::unique_ptr<IProgressWindow> OpenProgress() = 0;

  // Report of text in a box of style.
  int ShowMessage(const std::string& text, unsigned style = MB_OK) { return Report(Message{text, style}); }
};

// A reporter with nobody to tell: messages go nowhere, questions get the cautious answer, and
// its progress window shows nothing and is never cancelled.
class CSilentReporter : public IReporter {
 public:
  int Report(const Message& message) override;
  std::unique_ptr<IProgressWindow> OpenProgress() override;
};

// A reporter that keeps what it is told, for work whose messages become an error text
// (inspect and compare), and passes it on to another reporter when given one.
class CCollectingReporter : public CSilentReporter {
 public:
  CCollectingReporter() = default;
  explicit CCollectingReporter(IReporter& forward) : forward_(&forward) {}
  int Report(const Message& message) override;
  const std::vector<Message>& Messages() const { return messages_; }
  // The texts of the messages, separator between two.
  std::string Text(const std::string& separator = "\n") const;

 private:
  IReporter* forward_ = nullptr;
  std::vector<Message> messages_;
};
