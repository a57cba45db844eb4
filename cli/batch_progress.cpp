#include "batch_progress.h"

#include "number_text.h"

namespace velunor {

BatchProgressLine::BatchProgressLine(std::FILE* stream, bool show)
    : stream_(stream), show_(show), lastDraw_(std::chrono::steady_clock::now()) {}

void BatchProgressLine::Show(const BatchProgress& progress) {
  if (!show_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastDraw_ < kRefreshInterval) return;
  lastDraw_ = now;
  // Four numbers of at most 20 digits and 40 characters of text: the line always fits.
  char text[128];
  const int length = std::snprintf(
      text, sizeof text, "%d von %d Log-Dateien fertig, %3d %%,%s KB Out...", progress.LogsDone,
      progress.Logs, progress.Percent, NumberText(progress.KilobytesWritten).c_str());
  std::fprintf(stream_, "\r%s", text);
  std::fflush(stream_);
  shownLength_ = static_cast<std::size_t>(length);
}

void BatchProgressLine::Clear() {
  if (shownLength_ == 0) return;
  std::fprintf(stream_, "\r%*s\r", static_cast<int>(shownLength_), "");
  std::fflush(stream_);
  shownLength_ = 0;
}

}  // namespace velunor
