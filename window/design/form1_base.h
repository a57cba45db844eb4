#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "file_dialog.h"
#include "form1_design.h"
#include "run_options.h"
#include "run_time_error.h"
#include "run_window.h"

namespace velunor {

enum class MessageKind { Plain, Critical };

// The tool's one window without its toolkit: the event handlers, the operations a run and run
// control use, and the file button's click with its one error handler. A toolkit's view draws
// the controls of the design and passes their events on; it reaches the controls only through
// the few operations below.
class Form1Base : public RunWindow {
 public:
  // The window's caption, set at load: "Velunor V2.0.2".
  static std::string LoadedCaption();

  // Runs a conversion from the file button.
  void Command1_Click();
  // After the user changed the split interval (not while the thumb is dragged).
  void HScroll1_Change();
  void Timer1_Timer();

  // The settings as the user left them, read once the log file has been chosen.
  RunOptions ReadRunOptions() const;
  // While locked the file button and every setting are disabled, so neither a second run can
  // start nor a setting change under a running one.
  void LockForRun();
  void UnlockAfterRun();

  // RunWindow
  // A new percent lets the window handle its events too, as a time tick does: a log may hold no
  // tick for hundreds of megabytes.
  void SetProgress(int percent) override;
  // Raises RunTimeError 32755 once the user has closed the window during a run, so that the run
  // stops there and closes its files.
  void ProcessPendingEvents() override;
  void StartOutputSizeDisplay() override;
  void StopOutputSizeDisplay() override;
  std::int32_t& BytesWritten() override { return BytesWritten_; }

  // Ends the program with the given exit status once the event handler in progress has returned.
  // Tests put their own in its place.
  std::function<void(int)> EndProgram;

 protected:
  Form1Base();

  // The view's side: what the handlers read from and do to the controls.
  virtual int HScroll1Value() const = 0;
  virtual bool Check2Ticked() const = 0;
  virtual int SelectedOption() const = 0;  // index of the selected Option1
  virtual void SetText(design::Control control, std::string_view utf8) = 0;  // Command1, Text1
  virtual void SetEnabled(design::Control control, bool enabled) = 0;
  virtual void SetVisible(design::Control control, bool visible) = 0;
  virtual void SetCheck2Ticked(bool ticked) = 0;
  virtual int ShownProgress() const = 0;
  virtual void ShowProgress(int percent) = 0;
  virtual void SetTimer1Enabled(bool enabled) = 0;
  // Milliseconds on a steady clock, read at every request for an event pass (after every second
  // of logging time, up to a million times a run): it must cost next to nothing, and need only be
  // exact to a few milliseconds.
  virtual std::int64_t Milliseconds() const;
  // Handles the waiting events of the window's thread and returns.
  virtual void HandleWaitingEvents() = 0;
  virtual void ShowMessage(MessageKind kind, std::string_view title, std::string_view text) = 0;
  virtual FileDialog& CommonDialog1() = 0;  // open: the log to convert
  virtual FileDialog& CommonDialog2() = 0;  // save: the CSV file to write

  // The view calls this when the user closes the window during a run (the window should vanish
  // at once); the run stops at its next pass over the events, and the program ends.
  void CloseDuringRun() { closedDuringRun_ = true; }
  bool Running() const { return running_; }

 private:
  // The click's one error handler: a cancelled dialog (or a window closed during the run) ends
  // the click quietly, anything else is reported and ends the program.
  void Command1_Click_Error(const RunTimeError& error);
  // Handles the waiting events, unless the last pass was less than a fiftieth of a second ago.
  void TakeEventPass();

  std::int32_t BytesWritten_ = 0;
  bool running_ = false;
  bool closedDuringRun_ = false;
  std::int64_t lastEventPass_;  // Milliseconds() at the last pass
  // The folder of the log chosen last with its final separator, where the next open dialog
  // starts; empty before the first choice. Kept for this program run only.
  std::string lastLogFolder_;
};

}  // namespace velunor
