#pragma once
// How converters reach the user. The program that runs a conversion installs a host:
// Qt dialogs in the wizard, stderr and a terminal bar in the command-line tool, a
// recorder in tests. Lower layers never talk to the user; converters do it only here.
#include <memory>
#include <string>

// Message box styles and answers; the values the converters pass along are Windows'.
enum : unsigned {
  MB_OK = 0x0,
  MB_YESNO = 0x4,
  MB_ICONHAND = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// A modeless progress window with a bar, a status line and a Cancel button.
class IProgressWindow {
 public:
  virtual ~IProgressWindow() = default;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetRange(int lower, int upper) = 0;
  virtual void SetPos(int pos) = 0;
  virtual void SetStatus(const std::string& status) = 0;
  // Polled by converters at their cancel points; true once the user pressed Cancel.
  virtual bool CancelPressed() = 0;
  virtual void Close() = 0;
};

class IHost {
 public:
  virtual ~IHost() = default;
  // Shows text in a modal box; returns IDOK, or IDYES/IDNO for MB_YESNO.
  virtual int ShowMessage(const std::string& text, unsigned style) = 0;
  virtual std::unique_ptr<IProgressWindow> OpenProgress() = 0;
};

// A host with nobody to ask: messages go nowhere, questions get the cautious answer (IDNO),
// and its progress window shows nothing and is never cancelled. It is the host in force
// when none is installed, and a base for hosts that only keep what they are told.
class CSilentHost : public IHost {
 public:
  int ShowMessage(const std::string& text, unsigned style) override;
  std::unique_ptr<IProgressWindow> OpenProgress() override;
};

// The installed host; a silent one (answers IDOK / IDNO, never cancels) when none is.
IHost& CurrentHost();
// Installs host (nullptr restores the silent one) and returns the one it replaces.
IHost* InstallHost(IHost* host);

// Installs a host for the lifetime of a scope.
class ScopedHost {
 public:
  explicit ScopedHost(IHost& host) : previous_(InstallHost(&host)) {}
  ~ScopedHost() { InstallHost(previous_); }
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;

 private:
  IHost* previous_;
};
