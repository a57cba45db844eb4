#pragma once

#include <cstddef>
#include <string>

#include "line_reader.h"
#include "output_target.h"
#include "run_options.h"
#include "run_window.h"

namespace velunor {

// Converts one log into one CSV file, or into time slices when a split interval is set. The
// first output file is `outputPath`; slice files are named `outputBase` + slice suffix + ".CSV".
// Every failure raises RunTimeError; what was written before it stays on disk, in whole lines.
RunTotals RunConversion(const std::string& inputPath, const OutputTarget& outputPath,
                        const std::string& outputBase, const RunOptions& options, RunWindow& window,
                        std::size_t blockSize = LineReader::kDefaultBlockSize);

// The closing message: " 121 KB von 146 KB geschrieben, 3 Zeile(n) mit Fehler ausgelassen."
std::string SummaryText(const RunTotals& totals);

}  // namespace velunor
