#pragma once

#include <string>

#include "command_line.h"
#include "rejected_line_sink.h"
#include "run_options.h"
#include "run_totals.h"
#include "run_window.h"

namespace velunor {

struct LogRun {
  RunTotals Totals;
  // The CSV went to standard output, so the summary must go elsewhere (standard error).
  bool CsvOnStandardOutput = false;
};

// The first output file of a log as the command line asks: the file named by -o, or beside the
// log (the first slice file with a split).
std::string OutputPathOf(const std::string& logFile, const CommandLine& commandLine);

// Whether that file is standard output: "-o -", or the file standard output already writes to.
bool CsvGoesToStandardOutput(const std::string& logFile, const CommandLine& commandLine);

// Converts one log as the command line asks: into its first output file, or to standard output
// where CsvGoesToStandardOutput says so. Tells `rejectedLines`, if given, of every faulty line.
// Raises RunTimeError as the run does.
LogRun ConvertLog(const std::string& logFile, const CommandLine& commandLine, RunWindow& window,
                  RejectedLineSink* rejectedLines = nullptr);

}  // namespace velunor
