// Velunor.exe: the window, until it is closed or a fatal error ends the program.
#include <windows.h>

#include "form1.h"

namespace {

// The manifest declares the layout's DPI awareness; a build without it asks at start.
void FollowMonitorDpi() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2; refused when the manifest has set it already.
  if (set) set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  FollowMonitorDpi();
  velunor::Form1 form;
  ::ShowWindow(form.Handle(), show);
  ::UpdateWindow(form.Handle());
  MSG message;
  int status = 0;
  for (BOOL got; (got = ::GetMessageW(&message, nullptr, 0, 0)) != 0;) {
    if (got == -1) break;
    form.Dispatch(message);
  }
  if (message.message == WM_QUIT) status = static_cast<int>(message.wParam);
  return status;
}
