#include "process_signals.h"

#include <signal.h>

namespace velunor {

namespace process_signals_detail {
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");
}  // namespace process_signals_detail

namespace {

#ifdef _WIN32
// Windows knows no SIGHUP and no file-size signal; Ctrl+C and Ctrl+Break arrive as SIGINT.
constexpr int kStopSignals[] = {SIGINT, SIGTERM};
#else
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
#endif

extern "C" void OnStopSignal(int signal) {
  if (process_signals_detail::stopSignal.exchange(signal) != 0) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
}

}  // namespace

#ifdef _WIN32

void InstallSignalHandling() {
  for (const int signal : kStopSignals) {
    if (::signal(signal, OnStopSignal) == SIG_IGN) ::signal(signal, SIG_IGN);
  }
}

#else

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

#endif

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
#ifdef SIGHUP
    case SIGHUP:
      return "SIGHUP";
#endif
    default:
      return "?";
  }
}

}  // namespace velunor
