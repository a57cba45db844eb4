#include "process_signals.h"

#include <signal.h>

namespace velunor {

namespace process_signals_detail {
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");
}  // namespace process_signals_detail

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnStopSignal(int signal) {
  if (process_signals_detail::stopSignal.exchange(signal) != 0) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
}

}  // namespace

void InstallSignalHandling() {
  ::signal(SIGXFSZ, SIG_IGN);
  struct sigaction stop {};
  stop.sa_handler = OnStopSignal;
  sigemptyset(&stop.sa_mask);
  stop.sa_flags = 0;  // no SA_RESTART: a wait for the log's writer wakes up and sees the request
  for (const int signal : kStopSignals) {
    struct sigaction before {};
    if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &stop, nullptr);
  }
}

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "?";
  }
}

}  // namespace velunor
