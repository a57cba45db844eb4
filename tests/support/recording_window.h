#pragma once

#include <string>

#include "run_window.h"

namespace velunor::testing {

// A run's calls to its window in order: "[" display on, " N" progress N, "e" events after a time
// tick, " ]" display off.
class RecordingWindow : public RunWindow {
 public:
  void SetProgress(int percent) override { Calls.append(" ").append(std::to_string(percent)); }
  void ProcessPendingEvents() override { Calls += "e"; }
  void StartOutputSizeDisplay() override { Calls += "["; }
  void StopOutputSizeDisplay() override { Calls += " ]"; }
  std::int32_t& BytesWritten() override { return Written; }

  std::string Calls;
  std::int32_t Written = -1;  // the run must start it at 0
};

}  // namespace velunor::testing
