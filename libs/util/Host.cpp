#include "libs/util/Host.h"

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

CSilentHost g_silentHost;  // used when no host is installed
// The host the running program installed; the design has exactly one at a time.
IHost* g_host = &g_silentHost;

}  // namespace

int CSilentHost::ShowMessage(const std::string&, unsigned style) {
  return (style & 0xF) == MB_YESNO ? IDNO : IDOK;
}

std::unique_ptr<IProgressWindow> CSilentHost::OpenProgress() { return std::make_unique<SilentProgress>(); }

IHost& CurrentHost() { return *g_host; }

IHost* InstallHost(IHost* host) {
  IHost* previous = g_host == &g_silentHost ? nullptr : g_host;
  g_host = host ? host : &g_silentHost;
  return previous;
}
