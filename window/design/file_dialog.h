#pragma once

#include <string>

#include "dialog_flags.h"

namespace velunor {

// A modal file dialog for choosing the log to read or the CSV file to write, with the properties
// and methods of the classic common dialog. Each toolkit shows its own.
class FileDialog {
 public:
  virtual ~FileDialog() = default;

  // ShowOpen and ShowSave raise RunTimeError 32755 when the user cancels and this is true;
  // otherwise a cancel returns quietly and leaves FileName as it was.
  bool CancelError = false;
  // Sum of dialog_flag values; read when the dialog is shown.
  long Flags = 0;
  // In: the proposed name (a full path opens the dialog in its folder; no folder means the
  // working folder; a wildcard name filters the list). Out: the chosen file's full path. UTF-8
  // on Windows, the file system's own bytes elsewhere.
  std::string FileName;
  std::string DialogTitle;  // UTF-8
  // Pairs of description and pattern, all separated by "|": "Log-Dateien (*.Log)|*.Log". A
  // pattern may hold several wildcards separated by ";".
  std::string Filter;

  // Lets the user choose an existing file to read.
  void ShowOpen() { Show(false); }
  // Lets the user choose the file to write.
  void ShowSave() { Show(true); }

 protected:
  // Each toolkit's own dialog, for reading or for writing.
  virtual void Show(bool save) = 0;
};

}  // namespace velunor
