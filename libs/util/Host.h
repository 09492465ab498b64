#pragma once
// TRANSITIONAL: the process-wide reporter that code not yet given a reporter still reaches.
// It goes once every layer takes its reporter from its caller.
#include "libs/util/Reporter.h"

using IHost = IReporter;
using CSilentHost = CSilentReporter;

IReporter& CurrentHost();
IReporter* InstallHost(IReporter* host);

class ScopedHost {
 public:
  explicit ScopedHost(IReporter& host) : previous_(InstallHost(&host)) {}
  ~ScopedHost() { InstallHost(previous_); }
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;

 private:
  IReporter* previous_;
};
