#pragma once

#include <atomic>

namespace velunor {

// Makes the signals that would end the converter mid-record end it cleanly instead:
// - SIGINT, SIGTERM and SIGHUP only ask the run to stop; it stops at the next line boundary,
//   keeps what it has written, and the program ends with 128 + the signal's number. A second
//   one ends the program at once. A signal the converter was started with ignored (nohup, a
//   background job) stays ignored.
// - SIGXFSZ is ignored, so that a write past the file-size limit fails like one on a full disk.
void InstallSignalHandling();

namespace process_signals_detail {
extern std::atomic<int> stopSignal;
}  // namespace process_signals_detail

// The stop signal received so far, or 0. Cheap enough to ask after every line.
inline int ReceivedStopSignal() {
  return process_signals_detail::stopSignal.load(std::memory_order_relaxed);
}

// The signal's usual name ("SIGINT").
const char* SignalName(int signal);

}  // namespace velunor
