#pragma once
// The command-line tool's host: messages go to stderr one block each, their control
// characters shown visibly (VisibleLines, libs/util/TextTools.h); the progress window is
// a bar on stderr drawn only when stderr is a terminal; Ctrl-C acts as the progress
// window's Cancel. A question is answered by --yes, on the terminal, or No when there is
// no terminal to ask on, and shown with the answer it got:
//
//   Do you want to replace it?
//   (answered no: standard input is not a terminal)
#include <memory>
#include <ostream>
#include <streambuf>
#include <optional>
#include <string>

#include "libs/util/Reporter.h"

// A question's answer and where it came from: "--yes", "typed" (on the terminal), "no
// input" (the terminal's input ended before an answer) or "standard input is not a
// terminal" (a file, a pipe, or closed).
struct QuestionAnswer {
  bool yes = false;
  std::string from;
};

// The line shown on stderr under a question: "(answered yes: --yes)".
std::string AnsweredLine(const QuestionAnswer& answer);

class CliHost : public IReporter {
 public:
  // assumeYes answers Yes to every question; quiet draws no progress bar.
  CliHost(bool assumeYes, bool quiet);
  ~CliHost() override;

  int Report(const Message& message) override { return ShowMessage(message.text, message.style); }
  int ShowMessage(const std::string& text, unsigned style);
  // ShowMessage that also gives back the answer of a question (MB_YESNO) in answer.
  int Show(const std::string& text, unsigned style, std::optional<QuestionAnswer>& answer);
  std::unique_ptr<IProgressWindow> OpenProgress() override;

  // True once the user pressed Ctrl-C.
  static bool Interrupted();

  // Plain lines on stderr, for work that reports line by line (data): the progress bar is
  // cleared before each line and drawn again at its next step.
  std::ostream& Lines() { return lines_; }

 private:
  class Bar;
  // Writes whole lines to stderr, the bar cleared first.
  class LineBuffer : public std::streambuf {
   public:
    explicit LineBuffer(CliHost& host) : host_(host) {}

   protected:
    int overflow(int c) override;
    int sync() override;

   private:
    CliHost& host_;
    std::string pending_;
  };
  QuestionAnswer Answer() const;

  bool assumeYes_;
  bool drawBar_;
  int blocks_ = 0;
  Bar* openBar_ = nullptr;  // the bar on screen, cleared before a message is printed
  LineBuffer lineBuffer_{*this};
  std::ostream lines_{&lineBuffer_};
};
