#include "run_conversion.h"

#include <algorithm>
#include <memory>

#include "checked_counter.h"
#include "duration_labels.h"
#include "input_file.h"
#include "line_scan.h"
#include "number_text.h"
#include "output_file.h"
#include "progress_gauge.h"

namespace velunor {

namespace {

// Opens the file of the slice that begins at `elapsedSeconds` of logging time, in replace mode.
std::unique_ptr<OutputFile> OpenSliceFile(const std::string& outputBase,
                                          std::int32_t elapsedSeconds, const FileIdentity& log) {
  const std::string slicePath = outputBase + FormatSliceSuffix(elapsedSeconds) + ".CSV";
  return std::make_unique<OutputFile>(slicePath, OutputMode::Replace, log);
}

// Tells the window the progress percent after `bytesRead`, when it differs from the one it shows.
// The percent changes about a hundred times in a run; telling the window the same value again
// after every line would change nothing it shows.
[[gnu::always_inline]] inline void ShowProgress(ProgressGauge& progress, std::int64_t bytesRead,
                                                int& shownPercent, RunWindow& window) {
  if (!progress.Due(bytesRead)) [[likely]]
    return;
  const int percent = progress.Percent(bytesRead);
  if (percent != shownPercent) {
    shownPercent = percent;
    window.SetProgress(percent);
  }
}

// Gives the window its periodic pass before every block of the log is read, so that whatever
// the log holds (no time ticks, no line ends) the window stays alive and a stop reaches the run
// within a block. No record is half written then: a record goes out whole once its line has
// been read to its end. A log of unknown length shows its bytes read instead of a percent; a
// compressed one its progress by the compressed bytes consumed.
class PacedInput final : public ByteSource {
 public:
  PacedInput(ByteSource& input, std::int64_t inputLength, RunWindow& window,
             ProgressGauge& progress, int& shownPercent)
      : input_(input),
        inputLength_(inputLength),
        window_(window),
        progress_(progress),
        shownPercent_(shownPercent) {}

  std::size_t Read(char* buffer, std::size_t capacity) override {
    Pass();
    const std::size_t got = input_.Read(buffer, capacity);
    read_ += static_cast<std::int64_t>(got);
    // Only the first bytes tell a compressed log: its lines then say nothing of its progress.
    if (!measured_) {
      measured_ = true;
      if (input_.CompressedConsumed() >= 0) progress_ = ProgressGauge(-1);
    }
    return got;
  }
  std::int64_t CompressedConsumed() const override { return input_.CompressedConsumed(); }

 private:
  void Pass() {
    window_.ProcessPendingEvents();
    if (inputLength_ < 0) {
      window_.ShowBytesRead(read_);
      return;
    }
    const std::int64_t consumed = input_.CompressedConsumed();
    // Nothing before the first line, as for a plain log; 100 only once the run is done.
    if (consumed < 0 || shownPercent_ < 0) return;
    const int percent = std::min(ProgressPercent(consumed, inputLength_), 99);
    if (percent != shownPercent_) window_.SetProgress(shownPercent_ = percent);
  }

  ByteSource& input_;
  std::int64_t inputLength_;
  RunWindow& window_;
  ProgressGauge& progress_;
  int& shownPercent_;
  std::int64_t read_ = 0;
  bool measured_ = false;
};

// The run's loop for one status-channel mode. A constant mode takes the mode's tests out of the
// per-line path; ConvertLines picks the loop.
template <StatusChannelMode mode>
RunTotals ConvertLinesIn(ByteSource& source, std::int64_t inputLength, const FileIdentity& log,
                         std::unique_ptr<OutputFile>& firstOutput, const std::string& outputBase,
                         const RunOptions& options, RunWindow& window, std::size_t blockSize,
                         RejectedLineSink* rejectedLineSink) {
  // A local owner, which the compiler can keep in a register; the parameter lives in memory.
  std::unique_ptr<OutputFile> output = std::move(firstOutput);
  ProgressGauge progress(inputLength);
  int shownPercent = -1;  // the window may still show the last run's; the first line sets it
  PacedInput input(source, inputLength, window, progress, shownPercent);

  std::int32_t& bytesWritten = window.BytesWritten();
  bytesWritten = 0;
  std::int32_t bytesRead = 0;
  std::int32_t rejectedLines = 0;
  std::int32_t elapsedSeconds = 0;
  std::int32_t sliceSeconds = 0;
  bool sawChannelRecord = false;
  const bool split = options.SplitMinutes > 0;
  const std::int32_t sliceLength = std::int32_t{options.SplitMinutes} * 60;
  std::int64_t lineNumber = 0;  // names a faulty line in the report of them

  static_assert(OutputFile::kRecordSpan <= LineReader::kReadableHead &&
                kLongestRecord <= OutputFile::kRecordSpan);
  window.StartOutputSizeDisplay();
  LineReader reader(input, blockSize);
  // Inlined into the reader's loop, so that the counters can stay in registers.
  reader.ForEachLine([&] [[gnu::always_inline]] (const LineView& line) {
    // Only the bytes read need the overflow check: every other count grows by at most as much
    // as they do for the same line (bytes written by the same length, a faulty line of six or
    // more characters by one, a time tick of 55 by one), so none can overflow first.
    CheckedAdd(bytesRead, line.Length);
    lineNumber += line.Lines;
    const RecordClass record = ClassifyRecord(line.Head, line.Length, mode);
    sawChannelRecord |= record.InChannel;
    if (record.Outcome == RecordOutcome::Written) {
      // Head is either empty or the "$" that replaces the line's first byte.
      output->WriteRecord(line.Head.data(), static_cast<std::size_t>(line.Length),
                          !record.Head.empty());
      bytesWritten += static_cast<std::int32_t>(line.Length);
      if (record.IsTimeTick) {
        ++elapsedSeconds;
        ++sliceSeconds;
        window.ProcessPendingEvents();
        ShowProgress(progress, bytesRead, shownPercent, window);
        // A slice can only be complete right after a time tick.
        if (split && sliceSeconds == sliceLength) {
          output->Close();
          output.reset();
          sliceSeconds = 0;
          output = OpenSliceFile(outputBase, elapsedSeconds, log);
        }
        return;
      }
    } else if (record.Outcome == RecordOutcome::Rejected) {
      ++rejectedLines;
      if (rejectedLineSink != nullptr)
        rejectedLineSink->Rejected(lineNumber, line.Head, line.Length);
    }
    ShowProgress(progress, bytesRead, shownPercent, window);
  });
  output->Close();
  window.SetProgress(100);
  window.StopOutputSizeDisplay();
  return {bytesWritten, bytesRead, rejectedLines, sawChannelRecord};
}

}  // namespace

RunTotals RunConversion(const InputSource& source, const OutputTarget& outputPath,
                        const std::string& outputBase, const RunOptions& options, RunWindow& window,
                        std::size_t blockSize, RejectedLineSink* rejectedLineSink) {
  // Only called once reading has begun, when `input` stands.
  InputFile input(source, [&window, &input] {
    window.ProcessPendingEvents();
    if (!input.LengthKnown()) window.ShowBytesRead(input.Delivered());
  });
  auto output = std::make_unique<OutputFile>(
      outputPath, options.Append ? OutputMode::Append : OutputMode::Replace, input.Identity());
  // A 32-bit count like the others: a log over 2 GiB overflows here (an unknown length is -1).
  std::int32_t inputLength = 0;
  CheckedAdd(inputLength, input.Length());
  return ConvertLines(input, inputLength, input.Identity(), std::move(output), outputBase, options,
                      window, blockSize, rejectedLineSink);
}

RunTotals ConvertLines(ByteSource& input, std::int64_t inputLength, const FileIdentity& log,
                       std::unique_ptr<OutputFile> output, const std::string& outputBase,
                       const RunOptions& options, RunWindow& window, std::size_t blockSize,
                       RejectedLineSink* rejectedLineSink) {
  switch (options.StatusChannelMode) {
    case StatusChannelMode::CopyUnchanged:
      return ConvertLinesIn<StatusChannelMode::CopyUnchanged>(input, inputLength, log, output,
                                                              outputBase, options, window,
                                                              blockSize, rejectedLineSink);
    case StatusChannelMode::Transform:
      return ConvertLinesIn<StatusChannelMode::Transform>(input, inputLength, log, output,
                                                          outputBase, options, window, blockSize,
                                                          rejectedLineSink);
    case StatusChannelMode::Discard:
      break;
  }
  return ConvertLinesIn<StatusChannelMode::Discard>(input, inputLength, log, output, outputBase,
                                                    options, window, blockSize, rejectedLineSink);
}

std::string SummaryText(const RunTotals& totals) {
  return NumberText(Kilobytes(totals.BytesWritten)) + " KB von" +
         NumberText(Kilobytes(totals.BytesRead)) + " KB geschrieben," +
         NumberText(totals.RejectedLines) + " Zeile(n) mit Fehler ausgelassen.";
}

}  // namespace velunor
