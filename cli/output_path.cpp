#include "output_path.h"

#include "duration_labels.h"
#include "log_name.h"
#include "standard_output.h"

namespace velunor {

// The names are used as given, relative to the working folder: the output still lands beside the
// log (the eight characters cut off never reach into a folder's name), and neither a deleted
// working folder nor one too deep for an absolute path stands in the way.
std::string OutputPathOf(const std::string& logFile, const CommandLine& commandLine) {
  const std::string outputBase = OutputBaseOf(logFile);
  if (commandLine.Options.SplitMinutes > 0) return outputBase + FormatSliceSuffix(0) + ".CSV";
  return commandLine.OutputPath.value_or(outputBase + ".CSV");
}

bool CsvGoesToStandardOutput(const std::string& logFile, const CommandLine& commandLine) {
  // Opened a second time by its name, standard output's file would get an offset of its own,
  // and the summary would overwrite the CSV's beginning.
  return commandLine.OutputPath == "-" || IsStandardOutput(OutputPathOf(logFile, commandLine));
}

}  // namespace velunor
