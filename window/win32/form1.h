#pragma once

#include <windows.h>

#include <array>
#include <string_view>

#include "common_dialog.h"
#include "form1_base.h"

namespace velunor {

// The window drawn with Win32's own controls: the controls of the design at their places (twips
// at the window's DPI), their events passed on to the handlers. A run reaches the window through
// RunWindow.
class Form1 : public Form1Base {
 public:
  Form1();
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  HWND Handle() const { return window_; }

  // Handles one message taken from the thread's queue: the keyboard's dialog keys (Tab, arrows,
  // access keys, Return on the focused push button) first.
  void Dispatch(MSG& message);

  // The controls, under their design names; created and owned by the window.
  HWND Command1{};
  HWND STprogressBar1{};
  HWND Frame1{};
  std::array<HWND, 3> Option1{};  // one option group; the index is the StatusChannelMode
  HWND Frame2{};
  HWND Check2{};
  HWND Label1{};  // beneath Check2: seen only while Check2 is hidden
  HWND Frame3{};
  HWND HScroll1{};  // split interval in minutes, 0 for none
  HWND Text1{};
  // Timer1's interval; tests take a shorter one.
  UINT Timer1Interval = design::kOutputSizeIntervalMs;
  CommonDialog CommonDialog1_;  // open: the log to convert
  CommonDialog CommonDialog2_;  // save: the CSV file to write

  // A length of the design, in pixels at the window's DPI.
  int Pixels(int twips) const;

 protected:
  // Form1Base
  int HScroll1Value() const override;
  bool Check2Ticked() const override;
  int SelectedOption() const override;
  void SetText(design::Control control, std::string_view utf8) override;
  void SetEnabled(design::Control control, bool enabled) override;
  void SetVisible(design::Control control, bool visible) override;
  void SetCheck2Ticked(bool ticked) override;
  int ShownProgress() const override;
  void ShowProgress(int percent) override;
  void SetTimer1Enabled(bool enabled) override;
  // The system's tick count: read from memory the system keeps up to date. The standard steady
  // clock asks the performance counter, under Wine a call into the system each time, which a run
  // that asks after every second of logging time pays for hundreds of thousands of times.
  std::int64_t Milliseconds() const override;
  void HandleWaitingEvents() override;
  void ShowMessage(MessageKind kind, std::string_view title, std::string_view text) override;
  FileDialog& CommonDialog1() override { return CommonDialog1_; }
  FileDialog& CommonDialog2() override { return CommonDialog2_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  HWND& Hwnd(design::Control control);
  void CreateControls();
  // Places the window and every control for the current DPI, in the font of that size.
  void Layout(const RECT* suggested);
  // A change of the split interval by the user: clamped, set, and HScroll1_Change when it moved.
  void MoveSplit(int minutes);
  void OnScroll(WPARAM wParam);
  void OnWheel(WPARAM wParam);
  // Only the selected option is a stop of the Tab key, so that Tab enters the group there.
  void UpdateOptionTabStop();
  void UndoLockedClick();
  // The controls inside a frame are usable only while both they and their frame are enabled.
  void ApplyEnabled(design::Control control);

  HWND window_{};
  HFONT font_{};
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  int wheelRest_ = 0;  // wheel movement short of a notch
  HWND focusBeforeDeactivation_{};
  std::array<bool, 13> enabled_{};  // each control's own state, by design::Control
};

}  // namespace velunor
