#pragma once

#include <QString>
#include <string>

class QWidget;

namespace velunor {

// The flags of the open and save dialogs, with the values the classic common dialog gives them, so
// that the numbers run control sets (0x201004, 0x208800, 0x208802) keep their meaning.
namespace dialog_flag {
inline constexpr long kReadOnly = 0x1;             // read-only box ticked; no such box is offered
inline constexpr long kOverwritePrompt = 0x2;      // save: ask before replacing an existing file
inline constexpr long kHideReadOnly = 0x4;         // hide the read-only box; there is none anyway
inline constexpr long kPathMustExist = 0x800;      // the chosen file's folder must exist
inline constexpr long kFileMustExist = 0x1000;     // open: the chosen file must exist
inline constexpr long kNoReadOnlyReturn = 0x8000;  // save: no read-only file, no read-only folder
inline constexpr long kLongNames = 0x200000;       // long file names; always the case here
}  // namespace dialog_flag

// A modal file dialog for choosing the log to read or the CSV file to write, with the properties
// and methods of the classic common dialog. The dialog itself is Qt's widget-based file dialog,
// so it looks and behaves the same on every system.
//
// Names are matched without regard to letter case. A file name holding a wildcard (* or ?)
// filters the list instead of being chosen: the preset name when the dialog opens, and a name the
// user types and confirms.
class CommonDialog {
 public:
  // The dialog is shown modal to parent (may be null).
  explicit CommonDialog(QWidget* parent = nullptr) : parent_(parent) {}

  // ShowOpen and ShowSave raise RunTimeError 32755 when the user cancels and this is true;
  // otherwise a cancel returns quietly and leaves FileName as it was.
  bool CancelError = false;
  // Sum of dialog_flag values; read when the dialog is shown.
  long Flags = 0;
  // In: the proposed name (a full path opens the dialog in its folder; no folder means the
  // current working directory; a wildcard name filters the list). Out: the chosen file's full
  // path. The bytes of a path as the file system holds them.
  std::string FileName;
  QString DialogTitle;
  // Pairs of description and pattern, all separated by "|": "Log-Dateien (*.Log)|*.Log". A
  // pattern may hold several wildcards separated by ";".
  QString Filter;

  // Lets the user choose an existing file to read.
  void ShowOpen();
  // Lets the user choose the file to write.
  void ShowSave();

 private:
  void Show(bool save);

  QWidget* parent_;
};

}  // namespace velunor
