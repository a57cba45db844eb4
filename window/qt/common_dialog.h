#pragma once

#include "file_dialog.h"

class QWidget;

namespace velunor {

// The file dialog drawn with Qt. The dialog itself is Qt's widget-based file dialog,
// so it looks and behaves the same on every system.
//
// Names are matched without regard to letter case. A file name holding a wildcard (* or ?)
// filters the list instead of being chosen: the preset name when the dialog opens, and a name the
// user types and confirms.
class CommonDialog : public FileDialog {
 public:
  // The dialog is shown modal to parent (may be null).
  explicit CommonDialog(QWidget* parent = nullptr) : parent_(parent) {}

 private:
  void Show(bool save) override;

  QWidget* parent_;
};

}  // namespace velunor
