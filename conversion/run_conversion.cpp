#include "run_conversion.h"

#include <memory>

#include "checked_counter.h"
#include "duration_labels.h"
#include "input_file.h"
#include "number_text.h"
#include "output_file.h"
#include "progress_gauge.h"

namespace velunor {

RunTotals RunConversion(const std::string& inputPath, const OutputTarget& outputPath,
                        const std::string& outputBase, const RunOptions& options, RunWindow& window,
                        std::size_t blockSize) {
  InputFile input(inputPath, [&window] { window.ProcessPendingEvents(); });
  auto output = std::make_unique<OutputFile>(
      outputPath, options.Append ? OutputMode::Append : OutputMode::Replace, input.Identity());
  std::int32_t inputLength = 0;  // a 32-bit count like the others: a log over 2 GiB overflows here
  CheckedAdd(inputLength, input.Length());
  ProgressGauge progress(inputLength);

  std::int32_t& bytesWritten = window.BytesWritten();
  bytesWritten = 0;
  std::int32_t bytesRead = 0;
  std::int32_t rejectedLines = 0;
  std::int32_t elapsedSeconds = 0;
  std::int32_t sliceSeconds = 0;
  const bool split = options.SplitMinutes > 0;
  const std::int32_t sliceLength = std::int32_t{options.SplitMinutes} * 60;
  const StatusChannelMode mode = options.StatusChannelMode;

  window.StartOutputSizeDisplay();
  LineReader reader(input, blockSize);
  LineView line;
  while (reader.Next(line)) {
    CheckedAdd(bytesRead, line.Length);
    const RecordClass record = ClassifyRecord(line.Head, line.Length, mode);
    if (record.Outcome == RecordOutcome::Written) {
      output->WriteLine(record.Head, record.Tail);
      CheckedAdd(bytesWritten, line.Length);
      if (record.IsTimeTick) {
        CheckedAdd(elapsedSeconds, 1);
        CheckedAdd(sliceSeconds, 1);
        window.ProcessPendingEvents();
      }
    } else if (record.Outcome == RecordOutcome::Rejected) {
      CheckedAdd(rejectedLines, 1);
    }
    window.SetProgress(progress.Percent(bytesRead));
    if (split && sliceSeconds == sliceLength) {
      output->Close();
      output.reset();
      sliceSeconds = 0;
      const std::string slicePath = outputBase + FormatSliceSuffix(elapsedSeconds) + ".CSV";
      output = std::make_unique<OutputFile>(slicePath, OutputMode::Replace, input.Identity());
    }
  }
  input.Close();
  output->Close();
  window.SetProgress(100);
  window.StopOutputSizeDisplay();
  return {bytesWritten, bytesRead, rejectedLines};
}

std::string SummaryText(const RunTotals& totals) {
  return NumberText(Kilobytes(totals.BytesWritten)) + " KB von" +
         NumberText(Kilobytes(totals.BytesRead)) + " KB geschrieben," +
         NumberText(totals.RejectedLines) + " Zeile(n) mit Fehler ausgelassen.";
}

}  // namespace velunor
