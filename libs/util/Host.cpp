#include "libs/util/Host.h"

namespace {
CSilentReporter g_silentHost;
IReporter* g_host = &g_silentHost;
}  // namespace

IReporter& CurrentHost() { return *g_host; }

IReporter* InstallHost(IReporter* host) {
  IReporter* previous = g_host == &g_silentHost ? nullptr : g_host;
  g_host = host ? host : &g_silentHost;
  return previous;
}
