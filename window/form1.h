#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include <QWidget>

#include "common_dialog.h"
#include "run_options.h"
#include "run_time_error.h"
#include "run_window.h"

class QButtonGroup;
class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;

namespace velunor {

class STprogressBar;

// The tool's one window: the settings of a conversion, the file button that starts it, the
// progress bar and the once-a-second display of the kilobytes written. A run reaches the window
// through RunWindow.
//
// The window sets the application's widget style to the classic Windows one: its frames carry
// their caption on the frame line, which the places of the controls inside them rely on.
class Form1 : public QWidget, public RunWindow {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);

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

  // The controls, under their design names. Created and owned by the window.
  QPushButton* Command1;
  STprogressBar* STprogressBar1;
  QGroupBox* Frame1;
  std::array<QRadioButton*, 3> Option1;  // one option group; the index is the StatusChannelMode
  QGroupBox* Frame2;
  QLabel* Label1;  // beneath Check2: seen only while Check2 is hidden
  QCheckBox* Check2;
  QGroupBox* Frame3;
  QScrollBar* HScroll1;  // split interval in minutes, 0 for none
  QLineEdit* Text1;
  QTimer* Timer1;
  CommonDialog CommonDialog1;  // open: the log to convert
  CommonDialog CommonDialog2;  // save: the CSV file to write

  // Ends the program with the given exit status once the event handler in progress has returned.
  // Tests put their own in its place.
  std::function<void(int)> EndProgram;

 public slots:
  // Runs a conversion from the file button.
  void Command1_Click();
  void HScroll1_Change();
  void Timer1_Timer();

 protected:
  // Closing the window during a run hides it at once; the run stops when it next lets events
  // through, its files are closed with what was written, and the program ends.
  void closeEvent(QCloseEvent* event) override;
  // Return and Enter press the focused push button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Form_Load();
  // The click's one error handler: a cancelled dialog (or a window closed during the run) ends
  // the click quietly, anything else is reported and ends the program.
  void Command1_Click_Error(const RunTimeError& error);
  // Handles the waiting events, unless the last pass was less than a fiftieth of a second ago.
  void TakeEventPass();

  QButtonGroup* option1Group_;
  std::int32_t BytesWritten_ = 0;
  bool closedDuringRun_ = false;
  std::int64_t lastEventPass_;  // milliseconds on the steady clock
  // The folder of the log chosen last with its final "/", where the next open dialog starts;
  // empty before the first choice. Kept for this program run only.
  std::string lastLogFolder_;
};

}  // namespace velunor
