// velunor-convert: the log conversion without the window, for batch use and scripts.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "command_line.h"
#include "console_window.h"
#include "duration_labels.h"
#include "log_name.h"
#include "run_conversion.h"
#include "run_time_error.h"

namespace {

constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;

}  // namespace

int main(int argc, char** argv) {
  using namespace velunor;
  CommandLine commandLine;
  try {
    commandLine = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    std::cerr << "velunor-convert: " << error.Message << "\n"
              << kUsageLine << "\nMehr mit --help.\n";
    return kExitUsage;
  }
  if (commandLine.ShowHelp) {
    std::cout << kUsageLine << "\n\n" << kHelpText;
    return 0;
  }
  if (commandLine.ShowVersion) {
    std::cout << "velunor-convert " << VELUNOR_VERSION << "\n";
    return 0;
  }
  if (!IsAcceptedLogName(commandLine.LogFile)) {
    std::cerr << kRefusedNameText << "\n";
    return kExitUsage;
  }

  // The window always hands over full paths; so does the command line, so that the output
  // lands beside the log however the log was named.
  const std::string inputPath = std::filesystem::absolute(commandLine.LogFile).string();
  const std::string outputBase = OutputBaseOf(inputPath);
  const RunOptions& options = commandLine.Options;
  const std::string outputPath = options.SplitMinutes > 0
                                     ? outputBase + FormatSliceSuffix(0) + ".CSV"
                                     : commandLine.OutputPath.value_or(outputBase + ".CSV");

  ConsoleWindow window(stderr, ::isatty(STDERR_FILENO) == 1);
  try {
    const RunTotals totals = RunConversion(inputPath, outputPath, outputBase, options, window);
    window.EndLine();
    std::cout << SummaryText(totals) << "\n";
    return 0;
  } catch (const RunTimeError& error) {
    window.EndLine();
    std::cerr << ErrorText(error) << "\n";
    return kExitRunFailed;
  }
}
