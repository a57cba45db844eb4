#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "native_file.h"
#include "rejected_line_sink.h"
#include "run_time_error.h"

namespace velunor {

// The report of faulty lines (--rejected): CSV like the converted files, single-byte Windows-1252
// text with CR LF line ends, one row per line left out as faulty:
//   Zeile;Kanal;Länge;erwartet
//   1234;$4;57;55 oder 63
// The channel column is the line's first two bytes as they are ("§" stays the byte 0xA7); the
// four after them are ";1;;" on every faulty line, and their semicolons would split the column.
// A report of several logs starts each row with the log's name, in a column "Datei".
//
// The rows of the logs of a call stand in the order the logs were given. A log's rows are written
// while it has its turn (every log before it has all its rows written); before that they wait in
// a small buffer, and a log whose buffer is full waits for its turn. So rows cost neither a file
// nor memory per log waiting behind a slow one. A report that fails to be written loses its
// remaining rows but never ends or changes a conversion: its failure is told at the end.
class RejectedReport {
 public:
  // Opens the report for `logs` logs and writes its header: standard output for "-" and for the
  // file standard output already writes to; any other file is locked against other runs, then
  // emptied. Raises RunTimeError when it cannot be opened or is held by another run (70).
  RejectedReport(const std::string& path, std::size_t logs);
  ~RejectedReport();
  RejectedReport(const RejectedReport&) = delete;
  RejectedReport& operator=(const RejectedReport&) = delete;

  static bool OnStandardOutput(const std::string& path);
  bool WithFileColumn() const { return withFileColumn_; }

  // Writes rows of log `log` once it has its turn. Raises RunTimeError (32755) when a stop
  // signal comes while it waits.
  void WriteInTurn(std::size_t log, std::string_view rows);
  // Log `log` has no more rows: the next log's turn may come.
  void Finish(std::size_t log);
  // Closes the report; its first failure, if any, from any write or the closing.
  std::optional<RunTimeError> Close();

 private:
  void Write(std::string_view rows);

  NativeHandle file_;
  bool onStandardOutput_;
  bool withFileColumn_;
  std::mutex mutex_;
  std::condition_variable turnChanged_;
  std::vector<bool> finished_;
  std::size_t turn_ = 0;  // the first log whose rows are not all written
  std::optional<RunTimeError> failure_;
};

// The rows of one log, kept in a small buffer until the log has its turn in the report.
class RejectedRows : public RejectedLineSink {
 public:
  // `logName`: the first column of every row when the report has one.
  RejectedRows(RejectedReport& report, std::size_t log, std::string_view logName);
  RejectedRows(const RejectedRows&) = delete;
  RejectedRows& operator=(const RejectedRows&) = delete;

  void Rejected(std::int64_t lineNumber, std::string_view head, std::int64_t length) override;
  // Writes the rows still buffered, once the log has its turn, and hands the turn on. Called
  // however the log's conversion ended; after a stop signal the buffer is dropped.
  void Finish();

 private:
  static constexpr std::size_t kBufferSize = std::size_t{16} << 10;

  RejectedReport& report_;
  std::size_t log_;
  std::string firstColumn_;  // the log's name and ";", or empty
  std::string buffer_;
};

}  // namespace velunor
