#pragma once

#include <functional>
#include <string>

#include "run_window.h"

namespace velunor::testing {

// A run's calls to its window in order: "[" display on, " N" a new progress N, "e" events (after
// a time tick, before a block is read), " bN" N bytes read, " ]" display off.
class RecordingWindow : public RunWindow {
 public:
  // A percent the window already shows changes nothing it shows: only new ones are recorded.
  void SetProgress(int percent) override {
    if (percent != shown_) Calls += " " + std::to_string(shown_ = percent);
  }
  void ProcessPendingEvents() override {
    Calls += "e";
    if (OnEvents) OnEvents();
  }
  void StartOutputSizeDisplay() override { Calls += "["; }
  void StopOutputSizeDisplay() override { Calls += " ]"; }
  std::int32_t& BytesWritten() override { return Written; }
  void ShowBytesRead(std::int64_t bytesRead) override { Calls += " b" + std::to_string(bytesRead); }

  std::string Calls;
  std::int32_t Written = -1;       // the run must start it at 0
  std::function<void()> OnEvents;  // a test's own step in each pass (a user's stop, a pipe fed)

 private:
  int shown_ = -1;
};

}  // namespace velunor::testing
