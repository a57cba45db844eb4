#include "rejected_report.h"

#include <charconv>
#include <chrono>

#include "file_errors.h"
#include "process_signals.h"
#include "standard_output.h"
#include "windows_1252.h"

namespace velunor {
namespace {

constexpr int kStandardOutput = 1;

// A faulty line always belongs to a channel that is looked at, named by its second byte.
std::string_view RequiredLengths(char channel) {
  switch (channel) {
    case '4':
      return "55 oder 63";
    case '6':
    case '7':
    case '8':
      return "31";
    default:
      return "55";
  }
}

void AppendNumber(std::string& text, std::int64_t number) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  text.append(digits, result.ptr);
}

// A name holding the separator, a quote or a line end is quoted, its quotes doubled.
std::string CsvCell(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string cell = "\"";
  for (const char c : text) {
    cell += c;
    if (c == '"') cell += '"';
  }
  return cell + "\"";
}

NativeHandle OpenLockedAndEmptied(const std::string& path) {
  const NativeHandle file = OpenForWriting(path, false);
  // A device or a pipe (--rejected=/dev/null to throw the rows away): nothing to lock or cut back.
  if (!FactsOf(file).Regular) return file;
  // Emptied only once it is ours: a report another run still writes stays as it is.
  if (TryLock(file) == LockOutcome::HeldElsewhere) {
    CloseFile(file);
    throw RunTimeError(error_number::kPermissionDenied);
  }
  if (!Truncate(file, 0)) {
    const int error = LastSystemError();
    CloseFile(file);
    throw TransferError(error);
  }
  return file;
}

}  // namespace

bool RejectedReport::OnStandardOutput(const std::string& path) {
  return path == "-" || IsStandardOutput(path);
}

RejectedReport::RejectedReport(const std::string& path, std::size_t logs)
    : file_(OnStandardOutput(path) ? HandleOfDescriptor(kStandardOutput)
                                   : OpenLockedAndEmptied(path)),
      onStandardOutput_(OnStandardOutput(path)),
      withFileColumn_(logs > 1),
      finished_(logs, false) {
  try {
    WriteAll(file_,
             std::string(withFileColumn_ ? "Datei;" : "") + "Zeile;Kanal;L\xE4nge;erwartet\r\n");
  } catch (const RunTimeError&) {
    if (!onStandardOutput_) CloseFile(file_);
    throw;
  }
}

RejectedReport::~RejectedReport() {
  if (!onStandardOutput_ && file_ != kNoHandle) CloseFile(file_);
}

void RejectedReport::Write(std::string_view rows) {
  if (failure_ || rows.empty()) return;
  try {
    WriteAll(file_, rows);
  } catch (const RunTimeError& error) {
    failure_ = error;  // the rest of the rows are lost; the conversions go on unchanged
  }
}

void RejectedReport::WriteInTurn(std::size_t log, std::string_view rows) {
  std::unique_lock lock(mutex_);
  while (turn_ != log) {
    // A stop signal wakes no condition variable: it is looked for a few times a second.
    turnChanged_.wait_for(lock, std::chrono::milliseconds(50));
    if (ReceivedStopSignal() != 0) throw RunTimeError(error_number::kCancel);
  }
  // Only the log with the turn writes, and the turn moves on only when it finishes.
  lock.unlock();
  Write(rows);
}

void RejectedReport::Finish(std::size_t log) {
  {
    std::lock_guard lock(mutex_);
    finished_[log] = true;
    while (turn_ < finished_.size() && finished_[turn_]) ++turn_;
  }
  turnChanged_.notify_all();
}

std::optional<RunTimeError> RejectedReport::Close() {
  if (!onStandardOutput_) {
    const bool closed = CloseFile(file_);
    file_ = kNoHandle;
    if (!closed && !failure_) failure_ = TransferError(LastSystemError());
  }
  return failure_;
}

RejectedRows::RejectedRows(RejectedReport& report, std::size_t log, std::string_view logName)
    : report_(report),
      log_(log),
      firstColumn_(report.WithFileColumn() ? CsvCell(Windows1252Of(logName)) + ";" : "") {}

void RejectedRows::Rejected(std::int64_t lineNumber, std::string_view head, std::int64_t length) {
  buffer_ += firstColumn_;
  AppendNumber(buffer_, lineNumber);
  buffer_ += ';';
  buffer_.append(head.substr(0, 2));
  buffer_ += ';';
  AppendNumber(buffer_, length);
  buffer_ += ';';
  buffer_ += RequiredLengths(head[1]);
  buffer_ += "\r\n";
  if (buffer_.size() >= kBufferSize) {
    report_.WriteInTurn(log_, buffer_);
    buffer_.clear();
  }
}

void RejectedRows::Finish() {
  try {
    if (!buffer_.empty() && ReceivedStopSignal() == 0) report_.WriteInTurn(log_, buffer_);
  } catch (const RunTimeError&) {
    // stopped while waiting for the turn: the rows are dropped with the run
  }
  buffer_.clear();
  report_.Finish(log_);
}

}  // namespace velunor
