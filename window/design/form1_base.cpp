#include "form1_base.h"

#include <chrono>
#include <ctime>
#include <limits>

#include "duration_labels.h"
#include "number_text.h"

namespace velunor {

namespace {

// A run asks for a pass over the waiting events after every read block and every second of
// logging time, up to millions of times a second, and after every new percent. A pass fifty times
// a second keeps the window as lively as the screen can show; each costs the window system a
// round trip and the bar a repaint, so more would slow the run.
constexpr std::int64_t kEventPassIntervalMs = 20;

// The time of the last pass before any: the first request always takes one.
constexpr std::int64_t kNoEventPassYet = std::numeric_limits<std::int64_t>::min() / 2;

}  // namespace

Form1Base::Form1Base() : lastEventPass_(kNoEventPassYet) {}

std::int64_t Form1Base::Milliseconds() const {
  // The coarse clock costs a few nanoseconds and is still exact to a few milliseconds.
#ifdef CLOCK_MONOTONIC_COARSE
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
#else
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
#endif
}

std::string Form1Base::LoadedCaption() {
  // The build gives the program's version as "major.minor.revision".
  return std::string(design::kDesignCaption) + " V" VELUNOR_VERSION;
}

RunOptions Form1Base::ReadRunOptions() const {
  RunOptions options;
  options.SplitMinutes = static_cast<std::int16_t>(HScroll1Value());
  options.Append = Check2Ticked();
  switch (SelectedOption()) {
    case 0:
      options.StatusChannelMode = StatusChannelMode::CopyUnchanged;
      break;
    case 2:
      options.StatusChannelMode = StatusChannelMode::Discard;
      break;
    default:
      options.StatusChannelMode = StatusChannelMode::Transform;
      break;
  }
  return options;
}

void Form1Base::LockForRun() {
  using enum design::Control;
  for (const design::Control control : {Command1, Frame1, Frame2, Frame3}) {
    SetEnabled(control, false);
  }
}

void Form1Base::UnlockAfterRun() {
  using enum design::Control;
  // Without the ampersand: the button keeps no access key after its first run.
  SetText(Command1, design::kCommand1PlainCaption);
  for (const design::Control control : {Command1, Frame1, Frame2, Frame3}) {
    SetEnabled(control, true);
  }
}

void Form1Base::SetProgress(int percent) {
  // Called after every line: the same percent again costs only the comparison.
  if (percent == ShownProgress()) return;
  ShowProgress(percent);
  TakeEventPass();
}

void Form1Base::ProcessPendingEvents() {
  TakeEventPass();
}

void Form1Base::TakeEventPass() {
  const std::int64_t now = Milliseconds();
  if (now - lastEventPass_ < kEventPassIntervalMs) return;
  lastEventPass_ = now;
  HandleWaitingEvents();
  if (closedDuringRun_) throw RunTimeError(error_number::kCancel);
}

void Form1Base::StartOutputSizeDisplay() {
  SetTimer1Enabled(true);
}

void Form1Base::StopOutputSizeDisplay() {
  SetTimer1Enabled(false);
}

void Form1Base::HScroll1_Change() {
  using enum design::Control;
  const auto minutes = static_cast<std::int16_t>(HScroll1Value());
  if (minutes == 0) {
    SetText(Text1, design::kNoSplitText);
    SetEnabled(Check2, true);
    SetVisible(Check2, true);
    SetVisible(Label1, false);
    return;
  }
  const std::int32_t seconds = std::int32_t{minutes} * 60;
  SetText(Text1, FormatSplitInterval(seconds));
  // A split output replaces its files without asking, so appending cannot be chosen with it.
  SetCheck2Ticked(false);
  SetVisible(Check2, false);
  SetVisible(Label1, true);
  SetEnabled(Check2, false);
}

void Form1Base::Timer1_Timer() {
  SetText(design::Control::Command1, NumberText(Kilobytes(BytesWritten_)) + " KB Out...");
}

}  // namespace velunor
