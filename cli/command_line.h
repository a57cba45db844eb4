#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run_options.h"

namespace velunor {

// What the user asked for on the command line.
struct CommandLine {
  bool ShowHelp = false;
  bool ShowVersion = false;
  RunOptions Options;
  std::optional<std::string> OutputPath;    // -o, only without a split and with one log
  int Jobs = 0;                             // logs converted at once; 0: one per online processor
  std::optional<std::string> RejectedPath;  // --rejected: the report of faulty lines, "-": stdout
  std::vector<std::string> LogFiles;        // at least one
};

// Reads the arguments (without the program name). A wrong call raises UsageError with a German
// message.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

struct UsageError {
  std::string Message;
};

// The German help text and the one-line usage.
extern const char* const kHelpText;
extern const char* const kUsageLine;

}  // namespace velunor
