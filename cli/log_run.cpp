#include "log_run.h"

#include "duration_labels.h"
#include "log_name.h"
#include "run_conversion.h"
#include "standard_output.h"

namespace velunor {
namespace {

constexpr int kStandardOutput = 1;

}  // namespace

LogRun ConvertLog(const std::string& logFile, const CommandLine& commandLine, RunWindow& window) {
  // The names are used as given, relative to the working folder: the output still lands beside
  // the log (the eight characters cut off never reach into a folder's name), and neither a
  // deleted working folder nor one too deep for an absolute path stands in the way.
  const std::string outputBase = OutputBaseOf(logFile);
  const RunOptions& options = commandLine.Options;
  const std::string outputPath = options.SplitMinutes > 0
                                     ? outputBase + FormatSliceSuffix(0) + ".CSV"
                                     : commandLine.OutputPath.value_or(outputBase + ".CSV");
  // Opened a second time by its name, standard output's file would get an offset of its own,
  // and the summary would overwrite the CSV's beginning.
  const bool toStandardOutput = commandLine.OutputPath == "-" || IsStandardOutput(outputPath);
  const OutputTarget target = toStandardOutput ? OutputTarget(kStandardOutput) : outputPath;
  return {RunConversion(logFile, target, outputBase, options, window), toStandardOutput};
}

}  // namespace velunor
