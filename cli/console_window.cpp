#include "console_window.h"

#include "number_text.h"

namespace velunor {

ConsoleWindow::ConsoleWindow(std::FILE* stream, bool showProgress)
    : stream_(stream), showProgress_(showProgress) {}

void ConsoleWindow::StartOutputSizeDisplay() {
  displayOn_ = true;
  lastDraw_ = std::chrono::steady_clock::now();
}

void ConsoleWindow::StopOutputSizeDisplay() {
  if (displayOn_ && lineShown_) Draw();
  displayOn_ = false;
}

void ConsoleWindow::EndLine() {
  if (lineShown_) std::fputc('\n', stream_);
  lineShown_ = false;
}

void ConsoleWindow::RefreshIfDue() {
  ticksSinceCheck_ = 0;
  if (!showProgress_ || !displayOn_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastDraw_ < kRefreshInterval) return;
  lastDraw_ = now;
  Draw();
}

void ConsoleWindow::Draw() {
  std::fprintf(stream_, "\r%3d %% %s KB Out...", percent_,
               NumberText(Kilobytes(bytesWritten_)).c_str());
  std::fflush(stream_);
  lineShown_ = true;
}

}  // namespace velunor
