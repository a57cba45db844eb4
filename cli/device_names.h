#pragma once

#include <string_view>

#include "command_line.h"

namespace velunor {

// Whether Windows takes a path's file name for a device rather than a file: CON, PRN, AUX, NUL,
// COM0 to COM9, LPT0 to LPT9 (also with the superscript digits ¹²³), CONIN$ and CONOUT$, in any
// letter case, with any ending ("NUL.CSV") and with spaces before the ending. Paths are UTF-8.
bool IsWindowsDeviceName(std::string_view path);

// Refuses, with a UsageError, a log whose output file, named after the log, would be such a
// device on Windows: NUL_DAT.LOG would "convert" into the device NUL and report success with no
// CSV anywhere. An output named with -o is the user's choice ("-o NUL" discards, as /dev/null).
// Nothing to refuse on other systems.
void RefuseDeviceOutputs(const CommandLine& commandLine);

}  // namespace velunor
