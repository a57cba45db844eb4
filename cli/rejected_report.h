#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <cstdio>

#include "native_file.h"
#include "rejected_line_sink.h"

namespace velunor {

// The report of faulty lines (--rejected): CSV like the converted files, single-byte Windows-1252
// text with CR LF line ends, one row per line left out as faulty:
//   Zeile;Kanal;Länge;erwartet
//   1234;$4;57;55 oder 63
// The channel column is the line's first two bytes as they are ("§" stays the byte 0xA7); the
// four after them are ";1;;" on every faulty line, and their semicolons would split the column.
// A report of several logs starts each row with the log's name, in a column "Datei".

// The header row, "ä" as the byte 0xE4.
std::string RejectedReportHeader(bool withFileColumn);

// Where the report goes: standard output for "-" and for the file standard output already writes
// to; any other file is created or emptied. Raises RunTimeError when it cannot be opened.
bool RejectedReportOnStandardOutput(const std::string& path);
NativeHandle OpenRejectedReport(const std::string& path);
// Closes the report, unless it is standard output; raises RunTimeError when that fails.
void CloseRejectedReport(NativeHandle report);

// The rows of one log. With a destination they go there a buffer at a time; without one
// they are kept for CopyTo, those beyond a small buffer in an unnamed temporary file, so that a
// log with millions of faulty lines costs no memory while it waits for the logs before it.
class RejectedRows : public RejectedLineSink {
 public:
  // `logName`: the first column of every row, or empty for no such column.
  RejectedRows(std::string_view logName, NativeHandle destination = kNoHandle);
  ~RejectedRows() override;
  RejectedRows(const RejectedRows&) = delete;
  RejectedRows& operator=(const RejectedRows&) = delete;

  void Rejected(std::int64_t lineNumber, std::string_view head, std::int64_t length) override;

  // Writes the buffered rows to the destination.
  void Flush();
  // Writes every row kept, in order, to `report`.
  void CopyTo(NativeHandle report);

 private:
  static constexpr std::size_t kBufferSize = std::size_t{16} << 10;

  std::string firstColumn_;  // the log's name and ";", or empty
  std::string buffer_;
  NativeHandle destination_;
  std::FILE* kept_ = nullptr;  // the temporary file, without a destination
};

}  // namespace velunor
