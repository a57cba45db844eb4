#include "progress_line.h"

#include <algorithm>
#include <string>

#include "batch_totals.h"
#include "number_text.h"

namespace velunor {

ProgressLine::ProgressLine(std::FILE* stream, bool show, Clock::time_point start)
    : stream_(stream), show_(show), lastDraw_(start) {}

void ProgressLine::Show(const Progress& progress, Clock::time_point now) {
  if (!show_ || now - lastDraw_ < kRefreshInterval) return;
  lastDraw_ = now;
  std::string text;
  if (progress.Logs > 1) {
    text = std::to_string(progress.LogsDone) + " von " + std::to_string(progress.Logs) +
           " Log-Dateien fertig,";
  }
  if (progress.Percent) {
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d %%", *progress.Percent);
    text += (progress.Logs > 1 ? " " : "") + std::string(percent) + (progress.Logs > 1 ? "," : " ");
  } else {
    text += NumberText(Kilobytes64(progress.BytesRead)) + " KB gelesen,";
  }
  text += NumberText(Kilobytes64(progress.BytesWritten)) + " KB Out...";
  // A shorter line than the last must cover all of it.
  const std::size_t length = text.size();
  if (length < shownLength_) text.append(shownLength_ - length, ' ');
  std::fprintf(stream_, "\r%s", text.c_str());
  std::fflush(stream_);
  shownLength_ = std::max(length, shownLength_);
}

void ProgressLine::Clear() {
  if (shownLength_ == 0) return;
  std::fprintf(stream_, "\r%*s\r", static_cast<int>(shownLength_), "");
  std::fflush(stream_);
  shownLength_ = 0;
}

}  // namespace velunor
