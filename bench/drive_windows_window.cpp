// Drives Velunor.exe for the Windows window benchmark by the windows' own messages, which reach
// the window whether or not Wine has given it the keyboard:
//   velunor-drive-window open LOG   presses the file button, chooses the log in the open dialog
//                                   and waits for the save dialog
//   velunor-drive-window save       confirms the save dialog as proposed and prints the seconds
//                                   until the summary message is shown
//   velunor-drive-window close      confirms the summary message and closes the window
// Exit status 1 with a line on standard error when a window does not come.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";  // the common dialogs' and the message's class
constexpr wchar_t kMainTitle[] = L"Velunor V2.0.2";
constexpr wchar_t kOpenTitle[] = L"Log-Datei zum Einlesen w\u00e4hlen...";
constexpr wchar_t kSaveTitle[] = L"CSV-Datei zum Speichern w\u00e4hlen...";
constexpr wchar_t kSummaryTitle[] = L"Velunor";
constexpr int kFileButtonId = 101;   // Command1, the first control after the window itself
constexpr int kFileNameBox = 0x47c;  // the dialogs' file name box (cmb13)

// The visible window of that class and title, once it is there; nullptr after `seconds`.
HWND WaitFor(const wchar_t* type, const wchar_t* title, double seconds) {
  const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  do {
    HWND window = ::FindWindowW(type, title);
    if (window && ::IsWindowVisible(window)) return window;
    ::Sleep(1);
  } while (::GetTickCount64() < end);
  return nullptr;
}

HWND Need(const wchar_t* type, const wchar_t* title) {
  HWND window = WaitFor(type, title, 30);
  if (!window) {
    std::fwprintf(stderr, L"no window \"%ls\"\n", title);
    std::exit(1);
  }
  return window;
}

// Presses a dialog's OK button as a click does.
void PressOk(HWND dialog) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring step = argc > 1 ? argv[1] : L"";
  if (step == L"open" && argc == 3) {
    HWND main = Need(nullptr, kMainTitle);
    // The click's notice, as the button sends it: a click on the screen needs the window on top.
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(kFileButtonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(main, kFileButtonId)));
    HWND open = Need(kDialogClass, kOpenTitle);
    // The dialog fills its name box once it is shown; the log's path goes in after that. Wine
    // sometimes passes over an OK that comes too early: it is given again while the open dialog
    // stays.
    for (int attempt = 0; attempt < 5 && !WaitFor(kDialogClass, kSaveTitle, 0); ++attempt) {
      ::Sleep(200);
      if (!::IsWindow(open)) break;
      ::SendMessageW(::GetDlgItem(open, kFileNameBox), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(argv[2]));
      PressOk(open);
      WaitFor(kDialogClass, kSaveTitle, 5);
    }
    Need(kDialogClass, kSaveTitle);
    return 0;
  }
  if (step == L"save" && argc == 2) {
    HWND save = Need(kDialogClass, kSaveTitle);
    ::Sleep(200);  // as the name box is filled
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    PressOk(save);
    // The summary shares its title with no other window; the run can last minutes.
    if (!WaitFor(kDialogClass, kSummaryTitle, 600)) {
      std::fwprintf(stderr, L"no summary message\n");
      return 1;
    }
    ::QueryPerformanceCounter(&end);
    std::printf("%.6f\n", Seconds(start, end));
    return 0;
  }
  if (step == L"close" && argc == 2) {
    PressOk(Need(kDialogClass, kSummaryTitle));
    HWND main = Need(nullptr, kMainTitle);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    return 0;
  }
  std::fwprintf(stderr, L"usage: velunor-drive-window open LOG | save | close\n");
  return 2;
}
