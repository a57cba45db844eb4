#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "process_signals.h"
#include "run_time_error.h"
#include "run_window.h"

namespace velunor {

// The window's stand-in on a console: a one-line progress display (percent and kilobytes
// written) on a terminal, refreshed a few times a second; silent when not on a terminal. Ends
// the run, as closing the window does, once a stop signal has come: SetProgress follows every
// line, so the run stops at a line boundary.
class ConsoleWindow : public RunWindow {
 public:
  ConsoleWindow(std::FILE* stream, bool showProgress);

  void SetProgress(int percent) override {
    StopIfAsked();
    if (percent == percent_) return;
    percent_ = percent;
    RefreshIfDue();
  }
  void ProcessPendingEvents() override {
    StopIfAsked();
    // Reading the clock on every time tick would cost more than the tick itself.
    if (++ticksSinceCheck_ >= kTicksPerCheck) RefreshIfDue();
  }
  void StartOutputSizeDisplay() override;
  void StopOutputSizeDisplay() override;
  std::int32_t& BytesWritten() override { return bytesWritten_; }

  // Ends the progress line, if one is shown, so that a message can follow on a line of its own.
  void EndLine();

 private:
  static constexpr int kTicksPerCheck = 1024;
  static constexpr std::chrono::milliseconds kRefreshInterval{250};

  static void StopIfAsked() {
    if (ReceivedStopSignal() != 0) throw RunTimeError(error_number::kCancel);
  }
  void RefreshIfDue();
  void Draw();

  std::FILE* stream_;
  bool showProgress_;
  bool displayOn_ = false;
  bool lineShown_ = false;
  int percent_ = 0;
  int ticksSinceCheck_ = 0;
  std::int32_t bytesWritten_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace velunor
