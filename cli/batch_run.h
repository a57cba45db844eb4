#pragma once

#include "command_line.h"
#include "native_file.h"

namespace velunor {

// Converts the several logs of a call, each as a single log would be but on worker threads,
// `commandLine.Jobs` at once, and reports them in the order given: a line "NAME: summary" on
// standard output for each log converted, its error prefixed by its name on standard error for
// each that failed, then the total. The rejected-lines report, when `report` is open (its
// header already written), gets the rows of the logs in the same order. Returns the exit status:
// 0, 1 when any log or the report failed, 128 + N after the stop signal N.
int ConvertSeveralLogs(const CommandLine& commandLine, NativeHandle report);

}  // namespace velunor
