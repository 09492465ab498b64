#include "app/cli/CliHost.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "libs/util/TextTools.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

// The first Ctrl-C asks the conversion to stop at its next cancel point; a second one
// ends the program at once (the default action).
void OnInterrupt(int) {
  g_interrupted = 1;
  std::signal(SIGINT, SIG_DFL);
}

QuestionAnswer AskOnTerminal() {
  std::cerr << "Answer [y/N] " << std::flush;
  std::string typed;
  const bool read = static_cast<bool>(std::getline(std::cin, typed));
  // The terminal echoed the answer and its newline; elsewhere the prompt's line is ended
  // here, so that the answered line stands on its own.
  if (!read || !isatty(STDERR_FILENO)) std::cerr << '\n';
  if (!read) return {false, "no input"};
  return {!typed.empty() && (typed[0] == 'y' || typed[0] == 'Y'), "typed"};
}

}  // namespace

std::string AnsweredLine(const QuestionAnswer& answer) {
  return std::string("(answered ") + (answer.yes ? "yes" : "no") + ": " + answer.from + ")";
}

class CliHost::Bar : public IProgressWindow {
 public:
  Bar(CliHost& host, bool draw) : host_(host), draw_(draw) {}
  ~Bar() override { Close(); }

  void SetTitle(const std::string&) override {}
  void SetRange(int lower, int upper) override {
    lower_ = lower;
    upper_ = std::max(lower + 1, upper);
    Draw();
  }
  void SetPos(int pos) override {
    pos_ = pos;
    Draw();
  }
  void SetStatus(const std::string& status) override {
    status_ = status;
    Draw();
  }
  bool CancelPressed() override { return g_interrupted != 0; }
  void Close() override {
    Clear();
    if (host_.openBar_ == this) host_.openBar_ = nullptr;
  }

  void Clear() {
    if (shown_) std::fprintf(stderr, "\r\033[K");
    shown_ = false;
  }

 private:
  void Draw() {
    if (!draw_) return;
    host_.openBar_ = this;
    constexpr int kWidth = 30;
    const int span = upper_ - lower_;
    const int done = std::clamp(pos_ - lower_, 0, span);
    const int filled = kWidth * done / span;
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(100LL * done / span));
    std::string line = "[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " + percent + "  " + status_;
    // A conversion steps once per item: only a change that shows is drawn.
    if (shown_ && line == drawn_) return;
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
    drawn_ = std::move(line);
    shown_ = true;
  }

  CliHost& host_;
  bool draw_;
  bool shown_ = false;
  int lower_ = 0, upper_ = 100, pos_ = 0;
  std::string status_;
  std::string drawn_;  // the line on screen while shown_
};

CliHost::CliHost(bool assumeYes, bool quiet)
    : assumeYes_(assumeYes), drawBar_(!quiet && isatty(STDERR_FILENO)) {
  g_interrupted = 0;
  std::signal(SIGINT, OnInterrupt);
}

CliHost::~CliHost() { std::signal(SIGINT, SIG_DFL); }

bool CliHost::Interrupted() { return g_interrupted != 0; }

int CliHost::LineBuffer::overflow(int c) {
  if (c == traits_type::eof()) return traits_type::not_eof(c);
  pending_ += static_cast<char>(c);
  if (c == '\n') sync();
  return c;
}

int CliHost::LineBuffer::sync() {
  if (pending_.empty()) return 0;
  if (host_.openBar_) host_.openBar_->Clear();
  std::fwrite(pending_.data(), 1, pending_.size(), stderr);
  std::fflush(stderr);
  pending_.clear();
  return 0;
}

QuestionAnswer CliHost::Answer() const {
  if (assumeYes_) return {true, "--yes"};
  if (!isatty(STDIN_FILENO)) return {false, "standard input is not a terminal"};
  return AskOnTerminal();
}

int CliHost::ShowMessage(const std::string& text, unsigned style) {
  std::optional<QuestionAnswer> answer;
  return Show(text, style, answer);
}

int CliHost::Show(const std::string& text, unsigned style, std::optional<QuestionAnswer>& answer) {
  if (openBar_) openBar_->Clear();
  if (blocks_++ > 0) std::fputc('\n', stderr);
  // Names and labels quoted from a file may hold escape sequences the terminal would obey.
  const std::string shown = VisibleLines(text);
  std::fwrite(shown.data(), 1, shown.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  answer.reset();
  if ((style & 0xF) != MB_YESNO) return IDOK;
  answer = Answer();
  // Every question is followed by the answer it got, so that stderr never reads as if
  // the tool were still waiting.
  std::cerr << AnsweredLine(*answer) << '\n' << std::flush;
  return answer->yes ? IDYES : IDNO;
}

std::unique_ptr<IProgressWindow> CliHost::OpenProgress() { return std::make_unique<Bar>(*this, drawBar_); }
