#pragma once
// The command-line tool's host: messages go to stderr verbatim, one block each; the
// progress window is a bar on stderr drawn only when stderr is a terminal; Ctrl-C acts as
// the progress window's Cancel.
#include <memory>
#include <string>

#include "libs/util/Host.h"

class CliHost : public IHost {
 public:
  // assumeYes answers Yes to every question; quiet draws no progress bar.
  CliHost(bool assumeYes, bool quiet);
  ~CliHost() override;

  int ShowMessage(const std::string& text, unsigned style) override;
  std::unique_ptr<IProgressWindow> OpenProgress() override;

  // True once the user pressed Ctrl-C.
  static bool Interrupted();

 private:
  class Bar;
  bool assumeYes_;
  bool drawBar_;
  int blocks_ = 0;
  Bar* openBar_ = nullptr;  // the bar on screen, cleared before a message is printed
};
