#include "batch_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "batch_totals.h"
#include "console_setup.h"
#include "log_name.h"
#include "output_path.h"
#include "process_signals.h"
#include "progress_gauge.h"
#include "progress_line.h"
#include "rejected_report.h"
#include "run_conversion.h"
#include "run_time_error.h"
#include "standard_output.h"

namespace velunor {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitNoChannel = 3;
constexpr int kExitSignalBase = 128;
constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;

// One log of the call. The worker that converts it fills in the result before it sets Done; the
// counts of a running conversion are published for the progress line.
struct LogSlot {
  std::string Name;
  std::int64_t Size = -1;  // -1 when unknown (a FIFO, a device)
  std::optional<RunTotals> Totals;
  std::optional<RunTimeError> Error;
  std::string ErrorSubject;  // the file the error concerns; empty for standard output
  std::atomic<int> Percent{0};
  std::atomic<std::int64_t> BytesRead{0};  // only told for a log of unknown length
  std::atomic<std::int32_t> BytesWritten{0};
  std::atomic<bool> Done{false};
};

// The stand-in window of one conversion on a worker thread: it shows nothing itself but hands
// its progress to the thread that draws the line, and ends the run once a stop signal has come.
class SlotWindow : public RunWindow {
 public:
  explicit SlotWindow(LogSlot& slot) : slot_(slot) {}

  void SetProgress(int percent) override {
    StopIfAsked();
    if (percent == percent_) return;
    percent_ = percent;
    slot_.Percent.store(percent, std::memory_order_relaxed);
  }
  void ProcessPendingEvents() override {
    StopIfAsked();
    slot_.BytesWritten.store(bytesWritten_, std::memory_order_relaxed);
  }
  void StartOutputSizeDisplay() override { outputsOpen_ = true; }
  void StopOutputSizeDisplay() override {
    slot_.BytesWritten.store(bytesWritten_, std::memory_order_relaxed);
  }
  std::int32_t& BytesWritten() override { return bytesWritten_; }
  void ShowBytesRead(std::int64_t bytesRead) override {
    slot_.BytesRead.store(bytesRead, std::memory_order_relaxed);
  }

  // The run opens its files before it starts the display: an error before then may be the
  // output's, after it the output is open.
  bool OutputsOpen() const { return outputsOpen_; }

 private:
  static void StopIfAsked() {
    if (ReceivedStopSignal() != 0) throw RunTimeError(error_number::kCancel);
  }

  LogSlot& slot_;
  int percent_ = 0;
  bool outputsOpen_ = false;
  std::int32_t bytesWritten_ = 0;
};

bool LogOpens(const std::string& log) {
  if (log == "-") return true;
  try {
    CloseFile(OpenForReading(log));
    return true;
  } catch (const RunTimeError&) {
    return false;
  }
}

class Batch {
 public:
  Batch(const CommandLine& commandLine, RejectedReport* report);
  int Run();

 private:
  void Work();
  void Convert(std::size_t index);
  std::string SubjectOf(const LogSlot& slot, const RunTimeError& error, bool outputsOpen) const;
  void Report(LogSlot& slot);
  void PrintSummaryLine(const std::string& text);
  Progress Now() const;

  const CommandLine& call_;
  RejectedReport* const report_;
  const bool several_;
  bool summaryToStandardError_ = false;
  std::vector<LogSlot> slots_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable finished_;
  ProgressLine progressLine_;
  BatchTotals totals_;
  bool failed_ = false;
  bool sawNoChannel_ = false;
  bool standardOutputWorks_ = true;
};

Batch::Batch(const CommandLine& commandLine, RejectedReport* report)
    : call_(commandLine),
      report_(report),
      several_(commandLine.LogFiles.size() > 1),
      slots_(commandLine.LogFiles.size()),
      progressLine_(stderr, StandardErrorIsTerminal()) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    LogSlot& slot = slots_[i];
    slot.Name = commandLine.LogFiles[i];
    if (slot.Name == "-") {
      try {
        const FileFacts input = FactsOf(HandleOfDescriptor(kStandardInput));
        if (input.Regular) slot.Size = input.Size;
      } catch (const RunTimeError&) {
        // no standard input: the run says so
      }
    } else if (struct stat info{}; ::stat(slot.Name.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      slot.Size = info.st_size;
    }
    // Standard output carries CSV or the report: the summaries make way, as with "-o -".
    summaryToStandardError_ |= CsvGoesToStandardOutput(slot.Name, commandLine);
  }
  summaryToStandardError_ |=
      call_.RejectedPath && RejectedReport::OnStandardOutput(*call_.RejectedPath);
}

int Batch::Run() {
  const std::size_t processors = std::thread::hardware_concurrency();
  const std::size_t jobs =
      call_.Jobs > 0 ? static_cast<std::size_t>(call_.Jobs) : std::max<std::size_t>(processors, 1);
  std::vector<std::thread> workers;
  try {
    while (workers.size() < std::min(jobs, slots_.size())) workers.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // No room for another thread (memory, a process limit): the call runs with those it has.
  }
  if (workers.empty()) Work();

  for (std::size_t reported = 0; reported < slots_.size();) {
    {
      std::unique_lock lock(mutex_);
      finished_.wait_for(lock, std::chrono::milliseconds(100),
                         [&] { return slots_[reported].Done.load(std::memory_order_relaxed); });
    }
    while (reported < slots_.size() && slots_[reported].Done.load(std::memory_order_acquire))
      Report(slots_[reported++]);
    progressLine_.Show(Now());
  }
  for (std::thread& worker : workers) worker.join();
  progressLine_.Clear();

  if (const int signal = ReceivedStopSignal(); signal != 0) {
    std::cerr << "velunor-convert: Abbruch durch " << SignalName(signal)
              << (several_ ? "; die Ausgaben enden" : "; die Ausgabe endet")
              << " mit dem letzten vollständigen Datensatz.\n";
    return kExitSignalBase + signal;
  }
  if (several_) PrintSummaryLine(TotalText(totals_));
  if (report_ != nullptr) {
    if (const std::optional<RunTimeError> error = report_->Close()) {
      std::cerr << MessageAbout(*call_.RejectedPath) << ErrorText(*error) << "\n";
      failed_ = true;
    }
  }
  return failed_ ? kExitFailed : sawNoChannel_ ? kExitNoChannel : 0;
}

// Takes the logs in the order given, one after another, until none is left.
void Batch::Work() {
  for (;;) {
    const std::size_t index = next_.fetch_add(1);
    if (index >= slots_.size()) return;
    Convert(index);
    {
      std::lock_guard lock(mutex_);
      slots_[index].Done.store(true, std::memory_order_release);
    }
    finished_.notify_one();
  }
}

void Batch::Convert(std::size_t index) {
  LogSlot& slot = slots_[index];
  std::optional<RejectedRows> rows;
  if (report_ != nullptr) rows.emplace(*report_, index, slot.Name);
  SlotWindow window(slot);
  try {
    // After a stop signal the logs not yet begun are left as they are.
    if (ReceivedStopSignal() != 0) throw RunTimeError(error_number::kCancel);
    const bool toStandardOutput = CsvGoesToStandardOutput(slot.Name, call_);
    const OutputTarget target = toStandardOutput ? OutputTarget(kStandardOutput)
                                                 : OutputTarget(OutputPathOf(slot.Name, call_));
    const InputSource input =
        slot.Name == "-" ? InputSource(kStandardInput) : InputSource(slot.Name);
    slot.Totals = RunConversion(input, target, OutputBaseOf(slot.Name), call_.Options, window,
                                LineReader::kDefaultBlockSize, rows ? &*rows : nullptr);
  } catch (const RunTimeError& error) {
    slot.Error = error;
    slot.ErrorSubject = SubjectOf(slot, error, window.OutputsOpen());
  }
  if (rows) rows->Finish();
}

// Which file an error concerns. The run opens the log first: an error while opening that leaves
// the log openable is the output's. Once the files are open, a full disk is the output's, as is
// any write failure on standard output; the rest (a read failure, a counter overflow) the log's.
// A later slice file is known only to the run: its failure names the log it came from.
std::string Batch::SubjectOf(const LogSlot& slot, const RunTimeError& error,
                             bool outputsOpen) const {
  const bool toStandardOutput = CsvGoesToStandardOutput(slot.Name, call_);
  const bool sliced = call_.Options.SplitMinutes > 0;
  const bool output = outputsOpen
                          ? (error.Number() == error_number::kDiskFull && !sliced) ||
                                (toStandardOutput && error.Number() == error_number::kDeviceIo)
                          : error.Number() != error_number::kOverflow &&
                                error.Number() != error_number::kCancel && LogOpens(slot.Name);
  if (!output) return slot.Name == "-" ? "Standardeingabe" : slot.Name;
  return toStandardOutput ? "" : OutputPathOf(slot.Name, call_);
}

void Batch::Report(LogSlot& slot) {
  progressLine_.Clear();
  if (slot.Totals) {
    totals_.Add(*slot.Totals);
    PrintSummaryLine((several_ ? slot.Name + ":" : "") + SummaryText(*slot.Totals));
    // Not a single record of the device: most likely a wrong file, whose CSV says nothing.
    if (slot.Totals->BytesRead > 0 && !slot.Totals->SawChannelRecord) {
      std::cerr << MessageAbout(slot.Name)
                << " Warnung: keine einzige Zeile eines Kanals, wohl keine Log-Datei.\n";
      sawNoChannel_ = true;
    }
  } else if (ReceivedStopSignal() == 0 || slot.Error->Number() != error_number::kCancel) {
    // Standard output has no name: the message says what it is.
    std::cerr << (slot.ErrorSubject.empty() ? kStandardOutputFailed
                                            : MessageAbout(slot.ErrorSubject))
              << ErrorText(*slot.Error) << "\n";
    failed_ = true;
  }
}

void Batch::PrintSummaryLine(const std::string& text) {
  if (summaryToStandardError_) {
    std::cerr << text << "\n";
    return;
  }
  if (!standardOutputWorks_) return;
  try {
    WriteStandardOutput(text + "\n");
  } catch (const RunTimeError& error) {
    std::cerr << kStandardOutputFailed << ErrorText(error) << "\n";
    standardOutputWorks_ = false;
    failed_ = true;
  }
}

Progress Batch::Now() const {
  Progress progress{0, static_cast<int>(slots_.size()), std::nullopt, 0, 0};
  std::int64_t size = 0;
  bool lengthsKnown = true;
  for (const LogSlot& slot : slots_) {
    const bool done = slot.Done.load(std::memory_order_relaxed);
    const std::int64_t told = slot.BytesRead.load(std::memory_order_relaxed);
    progress.LogsDone += done ? 1 : 0;
    lengthsKnown &= slot.Size >= 0 && told == 0;
    size += std::max<std::int64_t>(slot.Size, 0);
    progress.BytesRead += told > 0 ? told
                          : done   ? std::max<std::int64_t>(slot.Size, 0)
                                   : std::max<std::int64_t>(slot.Size, 0) *
                                       slot.Percent.load(std::memory_order_relaxed) / 100;
    progress.BytesWritten += slot.BytesWritten.load(std::memory_order_relaxed);
  }
  if (lengthsKnown) {
    progress.Percent = size > 0 ? ProgressPercent(progress.BytesRead, size)
                                : ProgressPercent(progress.LogsDone, progress.Logs);
  }
  return progress;
}

}  // namespace

std::string MessageAbout(const std::string& file) {
  return "velunor-convert: " + file + ":";
}

int ConvertLogs(const CommandLine& commandLine) {
  std::optional<RejectedReport> report;
  if (commandLine.RejectedPath) {
    try {
      report.emplace(*commandLine.RejectedPath, commandLine.LogFiles.size());
    } catch (const RunTimeError& error) {
      std::cerr << MessageAbout(*commandLine.RejectedPath) << ErrorText(error) << "\n";
      return kExitFailed;
    }
  }
  return Batch(commandLine, report ? &*report : nullptr).Run();
}

}  // namespace velunor
