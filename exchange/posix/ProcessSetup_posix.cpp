// The program's descriptor limit and stop signals over POSIX calls.
#include <signal.h>
#include <sys/resource.h>

#include "exchange/ExchangeServer.h"
#include "exchange/ProcessSetup.h"

namespace {

ExchangeServer* g_server = nullptr;

extern "C" void OnStopSignal(int) {
  if (g_server) g_server->Stop();
}

}  // namespace

void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max < 8192 ? limit.rlim_max : 8192;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

void StopOnSignals(ExchangeServer& server) {
  g_server = &server;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

void ForgetStopSignals() { g_server = nullptr; }
