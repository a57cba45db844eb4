#pragma once

#include <cstdint>

namespace velunor {

// What a conversion run needs from the window that shows it. The main window implements it; the
// command-line converter has a console stand-in.
class RunWindow {
 public:
  virtual ~RunWindow() = default;

  // Shows the run's progress, 0 to 100. Called after every line, so a repeated value must be cheap.
  virtual void SetProgress(int percent) = 0;
  // Lets the window handle waiting events (repaint, timer ticks) and returns. Raises RunTimeError
  // when the user has ended the run meanwhile (by closing the window): the run stops there, and
  // its files are closed with what was written. Also called every few milliseconds while a log
  // that is a FIFO or pipe has nothing to give.
  virtual void ProcessPendingEvents() = 0;
  // Switches the once-a-second display of the bytes written on and off.
  virtual void StartOutputSizeDisplay() = 0;
  virtual void StopOutputSizeDisplay() = 0;
  // The count of characters written, held by the window so that its display can read it.
  virtual std::int32_t& BytesWritten() = 0;
  // The bytes of the log read so far, for a log whose length is unknown (a FIFO, a device,
  // standard input), where a percent cannot be shown. Called with every periodic pass.
  virtual void ShowBytesRead(std::int64_t bytesRead) { static_cast<void>(bytesRead); }
};

}  // namespace velunor
