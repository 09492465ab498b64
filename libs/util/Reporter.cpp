#include "libs/util/Reporter.h"

namespace {

class SilentProgress final : public IProgressWindow {
 public:
  void SetTitle(const std::string&) override {}
  void SetRange(int, int) override {}
  void SetPos(int) override {}
  void SetStatus(const std::string&) override {}
  bool CancelPressed() override { return false; }
  void Close() override {}
};

}  // namespace

Severity Message::GetSeverity() const {
  if (IsQuestion()) return Severity::Question;
  switch (style & 0xF0) {
    case MB_ICONHAND: return Severity::Error;
    case MB_ICONEXCLAMATION: return Severity::Warning;
    case MB_ICONINFORMATION: return Severity::Information;
    default: return Severity::Plain;
  }
}

int CSilentReporter::Report(const Message& message) { return message.CautiousAnswer(); }

std::unique_ptr<IProgressWindow> CSilentReporter::OpenProgress() { return std::make_unique<SilentProgress>(); }

int CCollectingReporter::Report(const Message& message) {
  messages_.push_back(message);
  return forward_ ? forward_->Report(message) : CSilentReporter::Report(message);
}

std::string CCollectingReporter::Text(const std::string& separator) const {
  std::string text;
  for (const Message& message : messages_) text += (text.empty() ? "" : separator) + message.text;
  return text;
}
