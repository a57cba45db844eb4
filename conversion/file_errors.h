#pragma once

#include <string>

#include "run_time_error.h"

namespace velunor {

// The error for a file that could not be opened, from the system's error code (errno, or
// GetLastError on Windows). A missing file whose folder exists is "Datei nicht gefunden", a
// missing folder "Pfad nicht gefunden".
RunTimeError OpenError(int systemError, const std::string& path);

// The error for a failed read, write or close.
RunTimeError TransferError(int systemError);

}  // namespace velunor
