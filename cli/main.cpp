// velunor-convert: the log conversion without the window, for batch use and scripts.
#include <cstdio>
#include <iostream>

#include "command_line.h"
#include "console_setup.h"
#include "console_window.h"
#include "log_name.h"
#include "log_run.h"
#include "process_signals.h"
#include "run_conversion.h"
#include "run_time_error.h"
#include "standard_output.h"

namespace {

constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitSignalBase = 128;

// A result that cannot be delivered on standard output is a failure like any other.
int PrintResult(const std::string& text) {
  try {
    velunor::WriteStandardOutput(text);
    return 0;
  } catch (const velunor::RunTimeError& error) {
    std::cerr << "velunor-convert: Fehler beim Schreiben auf die Standardausgabe:"
              << velunor::ErrorText(error) << "\n";
    return kExitRunFailed;
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velunor;
  ReserveStandardStreams();
  PrepareStandardStreams();
  InstallSignalHandling();
  CommandLine commandLine;
  try {
    commandLine = ParseCommandLine(ArgumentsOf(argc, argv));
  } catch (const UsageError& error) {
    std::cerr << "velunor-convert: " << error.Message << "\n"
              << kUsageLine << "\nMehr mit --help.\n";
    return kExitUsage;
  }
  if (commandLine.ShowHelp) return PrintResult(std::string(kUsageLine) + "\n\n" + kHelpText);
  if (commandLine.ShowVersion) return PrintResult("velunor-convert " VELUNOR_VERSION "\n");
  if (!IsAcceptedLogName(commandLine.LogFile)) {
    std::cerr << kRefusedNameText << "\n";
    return kExitUsage;
  }

  ConsoleWindow window(stderr, StandardErrorIsTerminal());
  LogRun run;
  try {
    run = ConvertLog(commandLine.LogFile, commandLine, window);
  } catch (const RunTimeError& error) {
    window.EndLine();
    if (const int signal = ReceivedStopSignal(); signal != 0) {
      std::cerr << "velunor-convert: Abbruch durch " << SignalName(signal)
                << "; die Ausgabe endet mit dem letzten vollständigen Datensatz.\n";
      return kExitSignalBase + signal;
    }
    std::cerr << ErrorText(error) << "\n";
    return kExitRunFailed;
  }
  window.EndLine();
  const std::string summary = SummaryText(run.Totals) + "\n";
  if (!run.CsvOnStandardOutput) return PrintResult(summary);
  std::cerr << summary;
  return 0;
}
