#pragma once

#include <windows.h>

#include "file_dialog.h"

namespace velunor {

// The system's own open and save dialogs. The flags go to the dialog as they are, with two of
// its own added: it leaves the working folder alone and adds no entry to the recently used
// documents, since the tool keeps nothing between runs.
class CommonDialog : public FileDialog {
 public:
  // The dialog is shown modal to owner (may be null).
  explicit CommonDialog(HWND owner = nullptr) : owner_(owner) {}

 private:
  void Show(bool save) override;

  HWND owner_;
};

}  // namespace velunor
