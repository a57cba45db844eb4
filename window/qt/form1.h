#pragma once

#include <array>
#include <string_view>

#include <QWidget>

#include "common_dialog.h"
#include "form1_base.h"

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

// The window drawn with Qt: the controls of the design, their events passed on to the handlers.
// A run reaches the window through RunWindow.
//
// The window sets the application's widget style to the classic Windows one: its frames carry
// their caption on the frame line, which the places of the controls inside them rely on.
class Form1 : public QWidget, public Form1Base {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);

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
  CommonDialog CommonDialog1_;  // open: the log to convert
  CommonDialog CommonDialog2_;  // save: the CSV file to write

 protected:
  // Closing the window during a run hides it at once; the run stops when it next lets events
  // through, its files are closed with what was written, and the program ends.
  void closeEvent(QCloseEvent* event) override;
  // Return and Enter press the focused push button.
  void keyPressEvent(QKeyEvent* event) override;

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
  void HandleWaitingEvents() override;
  void ShowMessage(MessageKind kind, std::string_view title, std::string_view text) override;
  FileDialog& CommonDialog1() override { return CommonDialog1_; }
  FileDialog& CommonDialog2() override { return CommonDialog2_; }

 private:
  QWidget* Widget(design::Control control) const;
};

}  // namespace velunor
