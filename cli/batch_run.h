#pragma once

#include "command_line.h"

namespace velunor {

// Converts the logs of a call, one or many, each on a worker thread, `commandLine.Jobs` at once,
// and reports them in the order given. One log: its summary is the last line. Several: a line
// "NAME: summary" for each log converted, then the total. The summaries go to standard output,
// or to standard error when standard output carries a CSV or the report. Every error names the
// program and the file it concerns, on standard error; the other logs are converted all the same.
// The rejected-lines report (--rejected) gets the rows of the logs in the same order. Returns the
// exit status: 0; 1 when a log or the report failed; 3 when a log that is not empty held no line
// of any channel (and nothing failed); 128 + N after the stop signal N.
int ConvertLogs(const CommandLine& commandLine);

// The start of every message: the program and the file it concerns ("velunor-convert: a_DAT.LOG:").
std::string MessageAbout(const std::string& file);

}  // namespace velunor
