#pragma once

#include <string>

namespace velunor {

// Whether the file system takes names that differ only in letter case for one file: Windows
// does (a_DAT.LOG and A_DAT.LOG are one log), Linux does not.
#ifdef _WIN32
inline constexpr bool kNamesIgnoreCase = true;
#else
inline constexpr bool kNamesIgnoreCase = false;
#endif

// A path spelled so that two names of one file compare equal as text where letter case does not
// tell files apart: in capitals on Windows, unchanged elsewhere. For comparing only, never for
// opening or showing.
std::string ComparablePath(const std::string& path);

}  // namespace velunor
