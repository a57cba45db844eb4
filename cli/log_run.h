#pragma once

#include <string>

#include "command_line.h"
#include "run_options.h"
#include "run_window.h"

namespace velunor {

struct LogRun {
  RunTotals Totals;
  // The CSV went to standard output, so the summary must go elsewhere (standard error).
  bool CsvOnStandardOutput = false;
};

// Converts one log as the command line asks: into the file named by -o, or beside the log; to
// standard output for "-o -" and for an output file that standard output already writes to.
// Raises RunTimeError as the run does.
LogRun ConvertLog(const std::string& logFile, const CommandLine& commandLine, RunWindow& window);

}  // namespace velunor
