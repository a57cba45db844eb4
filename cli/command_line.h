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
  std::optional<std::string> OutputPath;  // -o, only without a split
  std::string LogFile;
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
