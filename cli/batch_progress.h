#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace velunor {

// Where a call with several logs stands.
struct BatchProgress {
  int LogsDone = 0;
  int Logs = 0;
  int Percent = 0;  // of the bytes of all logs
  std::int64_t KilobytesWritten = 0;
};

// The one progress line of a call with several logs on a terminal, redrawn at most ten times a
// second: "3 von 8 Log-Dateien fertig,  45 %, 1234 KB Out...". Silent when not on a terminal.
// Drawn by one thread only.
class BatchProgressLine {
 public:
  BatchProgressLine(std::FILE* stream, bool show);

  // Draws `progress`, unless the line was drawn (or created) less than a tenth of a second ago.
  void Show(const BatchProgress& progress);
  // Blanks the line, so that other text can take its place.
  void Clear();

 private:
  static constexpr std::chrono::milliseconds kRefreshInterval{100};

  std::FILE* stream_;
  bool show_;
  std::size_t shownLength_ = 0;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace velunor
