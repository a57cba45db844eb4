#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace velunor {

// Where a call stands, as the progress line shows it.
struct Progress {
  int LogsDone;
  int Logs;
  // Of the bytes of all logs; none when a log's length is unknown (a FIFO, a device, standard
  // input): the bytes read are shown instead.
  std::optional<int> Percent;
  std::int64_t BytesRead;
  std::int64_t BytesWritten;
};

// The one progress line of a call on a terminal, on standard error, drawn by one thread only:
//   one log:      " 45 % 1234 KB Out..."      or  " 5678 KB gelesen, 1234 KB Out..."
//   several logs: "3 von 8 Log-Dateien fertig,  45 %, 1234 KB Out..."
// Redrawn at most ten times a second, by time, so also while a log has nothing to give. Silent
// when not on a terminal.
class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  ProgressLine(std::FILE* stream, bool show, Clock::time_point start = Clock::now());

  // Draws `progress`, unless the line was drawn (or created) less than a tenth of a second
  // before `now`.
  void Show(const Progress& progress, Clock::time_point now = Clock::now());
  // Blanks the line, so that other text can take its place.
  void Clear();

 private:
  static constexpr std::chrono::milliseconds kRefreshInterval{100};

  std::FILE* stream_;
  bool show_;
  std::size_t shownLength_ = 0;
  Clock::time_point lastDraw_;
};

}  // namespace velunor
