// velunor-convert: the log conversion without the window, for batch use and scripts.
#include <iostream>

#include "batch_run.h"
#include "command_line.h"
#include "console_setup.h"
#include "double_click_start.h"
#include "log_name.h"
#include "output_clashes.h"
#include "process_signals.h"
#include "run_time_error.h"
#include "standard_output.h"

namespace {

constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;

// A result that cannot be delivered on standard output is a failure like any other.
int PrintResult(const std::string& text) {
  try {
    velunor::WriteStandardOutput(text);
    return 0;
  } catch (const velunor::RunTimeError& error) {
    std::cerr << velunor::kStandardOutputFailed << velunor::ErrorText(error) << "\n";
    return kExitRunFailed;
  }
}

int UsageFailure(const std::string& message) {
  std::cerr << "velunor-convert: " << message << "\n"
            << velunor::kUsageLine << "\nMehr mit --help.\n";
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velunor;
  ReserveStandardStreams();
  PrepareStandardStreams();
  InstallSignalHandling();
  const std::vector<std::string> arguments = ArgumentsOf(argc, argv);
  // A double click in Explorer: explain, and keep the console open until the text is read.
  if (arguments.empty() && HasConsoleOfItsOwn()) return ExplainToDoubleClick();
  CommandLine commandLine;
  try {
    commandLine = ParseCommandLine(arguments);
  } catch (const UsageError& error) {
    return UsageFailure(error.Message);
  }
  if (commandLine.ShowHelp) return PrintResult(std::string(kUsageLine) + "\n\n" + kHelpText);
  if (commandLine.ShowVersion) return PrintResult("velunor-convert " VELUNOR_VERSION "\n");

  bool refused = false;
  for (const std::string& log : commandLine.LogFiles) {
    if (log == "-" || IsAcceptedLogName(log)) continue;
    std::cerr << MessageAbout(log) << " " << kRefusedNameText << "\n";
    refused = true;
  }
  if (refused) return kExitUsage;
  try {
    RefuseClashingOutputs(commandLine);
  } catch (const UsageError& error) {
    return UsageFailure(error.Message);
  }
  return ConvertLogs(commandLine);
}
