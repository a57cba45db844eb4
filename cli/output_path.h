#pragma once

#include <string>

#include "command_line.h"

namespace velunor {

// The first output file of a log as the command line asks: the file named by -o, or beside the
// log (the first slice file with a split).
std::string OutputPathOf(const std::string& logFile, const CommandLine& commandLine);

// Whether that file is standard output: "-o -", or the file standard output already writes to.
// The one place that decides it: the run writes there, and the summaries make way for it.
bool CsvGoesToStandardOutput(const std::string& logFile, const CommandLine& commandLine);

}  // namespace velunor
