#pragma once

#include "command_line.h"

namespace velunor {

// Refuses, with a UsageError and before anything is written, a call that would write one file
// twice at once: two logs with the same output file or slice files (the same log named twice,
// one folder spelled two ways), a rejected-lines report that is a log or an output file, or a
// report that would share standard output with a CSV; and, on Windows, an output named after a
// log that would be a device (see device_names.h).
void RefuseClashingOutputs(const CommandLine& commandLine);

}  // namespace velunor
