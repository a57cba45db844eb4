#pragma once

#include <windows.h>

namespace velunor {

// The run's progress bar as a window class of its own, "STprogressBar": the design's skin
// revealed up to the position, the percentage across it. The position (0 to 100) is set with
// SetProgressBarValue and drawn with the parent's font.
void RegisterProgressBarClass(HINSTANCE instance);
inline constexpr const wchar_t* kProgressBarClass = L"STprogressBar";

void SetProgressBarValue(HWND bar, int percent);
int ProgressBarValue(HWND bar);

}  // namespace velunor
