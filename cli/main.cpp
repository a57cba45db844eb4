// velunor-convert: the log conversion without the window, for batch use and scripts.
#include <cstdio>
#include <iostream>
#include <optional>

#include "batch_run.h"
#include "command_line.h"
#include "console_setup.h"
#include "console_window.h"
#include "double_click_start.h"
#include "log_name.h"
#include "log_run.h"
#include "output_clashes.h"
#include "process_signals.h"
#include "rejected_report.h"
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

int UsageFailure(const std::string& message) {
  std::cerr << "velunor-convert: " << message << "\n"
            << velunor::kUsageLine << "\nMehr mit --help.\n";
  return kExitUsage;
}

// One log: its summary is the last line of standard output, or of standard error when standard
// output carries the CSV or the rejected-lines report.
int ConvertOneLog(const velunor::CommandLine& commandLine, velunor::NativeHandle report) {
  using namespace velunor;
  const std::string& log = commandLine.LogFiles.front();
  ConsoleWindow window(stderr, StandardErrorIsTerminal());
  std::optional<RejectedRows> rows;
  if (report != kNoHandle) rows.emplace("", report);
  LogRun run;
  try {
    run = ConvertLog(log, commandLine, window, rows ? &*rows : nullptr);
    if (rows) {
      rows->Flush();
      CloseRejectedReport(report);
    }
  } catch (const RunTimeError& error) {
    window.EndLine();
    try {  // the rows of the lines read before the error, as the CSV keeps its records
      if (rows) rows->Flush();
    } catch (const RunTimeError&) {
      // The report itself failed: the first error is the one shown.
    }
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
  if (!run.CsvOnStandardOutput && report != HandleOfDescriptor(1)) return PrintResult(summary);
  std::cerr << summary;
  return 0;
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

  const bool several = commandLine.LogFiles.size() > 1;
  bool refused = false;
  for (const std::string& log : commandLine.LogFiles) {
    if (IsAcceptedLogName(log)) continue;
    std::cerr << (several ? log + ": " : "") << kRefusedNameText << "\n";
    refused = true;
  }
  if (refused) return kExitUsage;
  try {
    RefuseClashingOutputs(commandLine);
  } catch (const UsageError& error) {
    return UsageFailure(error.Message);
  }

  NativeHandle report = kNoHandle;
  if (commandLine.RejectedPath) {
    try {
      report = OpenRejectedReport(*commandLine.RejectedPath);
      WriteAll(report, RejectedReportHeader(several));
    } catch (const RunTimeError& error) {
      std::cerr << *commandLine.RejectedPath << ":" << ErrorText(error) << "\n";
      return kExitRunFailed;
    }
  }
  return several ? ConvertSeveralLogs(commandLine, report) : ConvertOneLog(commandLine, report);
}
