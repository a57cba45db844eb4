#include "batch_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "batch_progress.h"
#include "batch_totals.h"
#include "console_setup.h"
#include "log_run.h"
#include "process_signals.h"
#include "progress_gauge.h"
#include "rejected_report.h"
#include "run_conversion.h"
#include "run_time_error.h"
#include "standard_output.h"

namespace velunor {
namespace {

// One log of the call. The worker that converts it fills in the result before it sets Done; the
// counts of a running conversion are published for the progress line.
struct LogSlot {
  std::string Name;
  std::int64_t Size = 0;  // 0 when unknown (a FIFO)
  std::unique_ptr<RejectedRows> Rows;
  std::optional<RunTotals> Totals;
  std::optional<RunTimeError> Error;
  std::atomic<int> Percent{0};
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
    Publish();
  }
  void ProcessPendingEvents() override {
    StopIfAsked();
    if (++ticksSincePublish_ >= kTicksPerPublish) Publish();
  }
  void StartOutputSizeDisplay() override {}
  void StopOutputSizeDisplay() override { Publish(); }
  std::int32_t& BytesWritten() override { return bytesWritten_; }

 private:
  static constexpr int kTicksPerPublish = 1024;

  static void StopIfAsked() {
    if (ReceivedStopSignal() != 0) throw RunTimeError(error_number::kCancel);
  }
  void Publish() {
    ticksSincePublish_ = 0;
    slot_.Percent.store(percent_, std::memory_order_relaxed);
    slot_.BytesWritten.store(bytesWritten_, std::memory_order_relaxed);
  }

  LogSlot& slot_;
  int percent_ = 0;
  int ticksSincePublish_ = 0;
  std::int32_t bytesWritten_ = 0;
};

class Batch {
 public:
  Batch(const CommandLine& commandLine, NativeHandle report);
  int Run();

 private:
  void Work();
  void Convert(LogSlot& slot);
  void Report(LogSlot& slot);
  void PrintSummaryLine(const std::string& text);
  BatchProgress Progress() const;

  const CommandLine& call_;
  const NativeHandle report_;
  bool summaryToStandardError_ = false;
  std::vector<LogSlot> slots_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable finished_;
  BatchProgressLine progressLine_;
  BatchTotals totals_;
  bool failed_ = false;
  bool reportWorks_ = true;
  bool standardOutputWorks_ = true;
};

Batch::Batch(const CommandLine& commandLine, NativeHandle report)
    : call_(commandLine),
      report_(report),
      slots_(commandLine.LogFiles.size()),
      progressLine_(stderr, StandardErrorIsTerminal()) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    LogSlot& slot = slots_[i];
    slot.Name = commandLine.LogFiles[i];
    struct stat info {};
    if (::stat(slot.Name.c_str(), &info) == 0 && S_ISREG(info.st_mode)) slot.Size = info.st_size;
    if (report != kNoHandle) slot.Rows = std::make_unique<RejectedRows>(slot.Name);
    // Standard output carries CSV or the report: the summaries make way, as with "-o -".
    summaryToStandardError_ |= CsvGoesToStandardOutput(slot.Name, commandLine);
  }
  summaryToStandardError_ |= report == HandleOfDescriptor(1);
}

int Batch::Run() {
  const std::size_t processors = std::thread::hardware_concurrency();
  const std::size_t jobs =
      call_.Jobs > 0 ? static_cast<std::size_t>(call_.Jobs) : std::max<std::size_t>(processors, 1);
  std::vector<std::thread> workers;
  for (std::size_t i = 0; i < std::min(jobs, slots_.size()); ++i)
    workers.emplace_back([this] { Work(); });

  for (std::size_t reported = 0; reported < slots_.size();) {
    {
      std::unique_lock lock(mutex_);
      finished_.wait_for(lock, std::chrono::milliseconds(100),
                         [&] { return slots_[reported].Done.load(std::memory_order_relaxed); });
    }
    while (reported < slots_.size() && slots_[reported].Done.load(std::memory_order_acquire))
      Report(slots_[reported++]);
    progressLine_.Show(Progress());
  }
  for (std::thread& worker : workers) worker.join();
  progressLine_.Clear();

  if (const int signal = ReceivedStopSignal(); signal != 0) {
    std::cerr << "velunor-convert: Abbruch durch " << SignalName(signal)
              << "; die Ausgaben enden mit dem letzten vollständigen Datensatz.\n";
    return 128 + signal;
  }
  PrintSummaryLine(TotalText(totals_));
  if (report_ != kNoHandle && reportWorks_) {
    try {
      CloseRejectedReport(report_);
    } catch (const RunTimeError& error) {
      std::cerr << *call_.RejectedPath << ":" << ErrorText(error) << "\n";
      failed_ = true;
    }
  }
  return failed_ ? 1 : 0;
}

// Takes the logs in the order given, one after another, until none is left.
void Batch::Work() {
  for (;;) {
    const std::size_t index = next_.fetch_add(1);
    if (index >= slots_.size()) return;
    LogSlot& slot = slots_[index];
    Convert(slot);
    {
      std::lock_guard lock(mutex_);
      slot.Done.store(true, std::memory_order_release);
    }
    finished_.notify_one();
  }
}

void Batch::Convert(LogSlot& slot) {
  try {
    // After a stop signal the logs not yet begun are left as they are.
    if (ReceivedStopSignal() != 0) throw RunTimeError(error_number::kCancel);
    SlotWindow window(slot);
    slot.Totals = ConvertLog(slot.Name, call_, window, slot.Rows.get()).Totals;
  } catch (const RunTimeError& error) {
    slot.Error = error;
  }
}

void Batch::Report(LogSlot& slot) {
  progressLine_.Clear();
  if (slot.Rows && reportWorks_) {
    try {
      slot.Rows->CopyTo(report_);
    } catch (const RunTimeError& error) {
      std::cerr << *call_.RejectedPath << ":" << ErrorText(error) << "\n";
      reportWorks_ = false;
      failed_ = true;
    }
  }
  slot.Rows.reset();  // and its temporary file with it
  if (slot.Totals) {
    totals_.Add(*slot.Totals);
    PrintSummaryLine(slot.Name + ":" + SummaryText(*slot.Totals));
  } else if (ReceivedStopSignal() == 0 || slot.Error->Number() != error_number::kCancel) {
    std::cerr << slot.Name << ":" << ErrorText(*slot.Error) << "\n";
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
    std::cerr << "velunor-convert: Fehler beim Schreiben auf die Standardausgabe:"
              << ErrorText(error) << "\n";
    standardOutputWorks_ = false;
    failed_ = true;
  }
}

BatchProgress Batch::Progress() const {
  BatchProgress progress{0, static_cast<int>(slots_.size()), 0, 0};
  std::int64_t size = 0;
  std::int64_t read = 0;
  std::int64_t written = 0;
  for (const LogSlot& slot : slots_) {
    const bool done = slot.Done.load(std::memory_order_relaxed);
    progress.LogsDone += done ? 1 : 0;
    size += slot.Size;
    read += done ? slot.Size : slot.Size * slot.Percent.load(std::memory_order_relaxed) / 100;
    written += slot.BytesWritten.load(std::memory_order_relaxed);
  }
  progress.Percent =
      size > 0 ? ProgressPercent(read, size) : ProgressPercent(progress.LogsDone, progress.Logs);
  progress.KilobytesWritten = Kilobytes64(written);
  return progress;
}

}  // namespace

int ConvertSeveralLogs(const CommandLine& commandLine, NativeHandle report) {
  return Batch(commandLine, report).Run();
}

}  // namespace velunor
