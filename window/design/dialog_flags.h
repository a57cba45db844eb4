#pragma once

namespace velunor {

// The flags of the open and save dialogs, with the values the system's common dialog gives them,
// so that the numbers run control sets (0x201004, 0x208800, 0x208802) keep their meaning.
namespace dialog_flag {
inline constexpr long kOverwritePrompt = 0x2;      // save: ask before replacing an existing file
inline constexpr long kHideReadOnly = 0x4;         // hide the read-only box
inline constexpr long kPathMustExist = 0x800;      // the chosen file's folder must exist
inline constexpr long kFileMustExist = 0x1000;     // open: the chosen file must exist
inline constexpr long kNoReadOnlyReturn = 0x8000;  // save: no read-only file, no read-only folder
inline constexpr long kLongNames = 0x200000;       // long file names; always the case here
}  // namespace dialog_flag

}  // namespace velunor
