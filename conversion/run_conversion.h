#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "input_source.h"
#include "line_reader.h"
#include "output_file.h"
#include "output_target.h"
#include "rejected_line_sink.h"
#include "run_options.h"
#include "run_totals.h"
#include "run_window.h"

namespace velunor {

// Converts one log into one CSV file, or into time slices when a split interval is set. The
// log may be gzip-compressed; it is then read as the log it holds. The first output file is
// `outputPath`; slice files are named `outputBase` + slice suffix + ".CSV".
// Every failure raises RunTimeError; what was written before it stays on disk, in whole lines.
// `rejectedLineSink`, when given, hears of every line counted as faulty, with its number.
RunTotals RunConversion(const InputSource& input, const OutputTarget& outputPath,
                        const std::string& outputBase, const RunOptions& options, RunWindow& window,
                        std::size_t blockSize = LineReader::kDefaultBlockSize,
                        RejectedLineSink* rejectedLineSink = nullptr);

// The part of a run after its files have been opened: every line of `input` through the record
// filter into `output` and the slice files after it, with the window told as RunConversion
// tells it. `inputLength` is -1 when it is unknown. Closes the output files; closing the input is
// left to its owner. Apart from RunConversion, the per-line benchmark uses it with a log in memory.
RunTotals ConvertLines(ByteSource& input, std::int64_t inputLength, const FileIdentity& log,
                       std::unique_ptr<OutputFile> output, const std::string& outputBase,
                       const RunOptions& options, RunWindow& window,
                       std::size_t blockSize = LineReader::kDefaultBlockSize,
                       RejectedLineSink* rejectedLineSink = nullptr);

// The closing message: " 121 KB von 146 KB geschrieben, 3 Zeile(n) mit Fehler ausgelassen."
std::string SummaryText(const RunTotals& totals);

}  // namespace velunor
