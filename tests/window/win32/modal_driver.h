#pragma once

// Answers the real modal dialogs and message boxes that the code under test opens, from a timer
// that runs inside their message loops, the way a user would.
#include <windows.h>

#include <commdlg.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "wide_text.h"

namespace velunor::testing {

// Gets the modal window that was opened and must close it (or open the next one).
using ModalAnswer = std::function<void(HWND)>;

// Ids inside the system's file dialog and message box.
inline constexpr int kFileNameBox = 0x47c;   // the name field (a combo box)
inline constexpr int kReadOnlyBox = 0x410;   // the file dialog's read-only check box
inline constexpr int kMessageText = 0xffff;  // the message box's text
inline constexpr int kMessageIcon = 0x440;   // and its icon

inline std::wstring TextOf(HWND window) {
  wchar_t text[4096];
  return std::wstring(text, static_cast<std::size_t>(::GetWindowTextW(window, text, 4096)));
}

inline std::wstring ItemText(HWND dialog, int id) {
  return TextOf(::GetDlgItem(dialog, id));
}

inline void Press(HWND dialog, int button) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

// Types name into a file dialog's name field and confirms it.
inline void Confirm(HWND dialog, const std::wstring& name) {
  ::SetDlgItemTextW(dialog, kFileNameBox, name.c_str());
  Press(dialog, IDOK);
}

// Calls act and answers the modal windows it opens, in turn. A window beyond the answers fails
// the test and is cancelled, so that no test can hang. Returns how many windows were answered.
inline std::size_t AnswerInTurn(const std::function<void()>& act,
                                std::vector<ModalAnswer> answers) {
  std::size_t next = 0;
  std::set<HWND> answered;
  HWND seen = nullptr;  // the modal window open now, since when
  DWORD since = 0;
  static std::function<void()> tick;
  tick = [&] {
    HWND modal = nullptr;  // the enabled modal window of this thread
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
          wchar_t type[16];
          ::GetClassNameW(window, type, 16);
          const bool modal = std::wstring(type) == L"#32770" && ::IsWindowVisible(window) &&
                             ::IsWindowEnabled(window);
          if (modal) *reinterpret_cast<HWND*>(found) = window;
          return !modal;
        },
        reinterpret_cast<LPARAM>(&modal));
    const DWORD now = ::GetTickCount();
    if (modal != seen) seen = modal, since = now;
    // A window is answered once it has settled: the file dialog fills its list after it shows.
    if (!modal || now - since < 200) return;
    // An answer the window did not take (a refusal of its own, say) must not hang the test.
    if (answered.contains(modal) && now - since < 10000) return;
    if (answered.contains(modal) || next == answers.size()) {
      ADD_FAILURE() << "window left open or unexpected: " << Utf8(TextOf(modal));
      since = now;
      return Press(modal, IDCANCEL);
    }
    answered.insert(modal);
    answers[next++](modal);
  };
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { tick(); });
  act();
  ::KillTimer(nullptr, timer);
  return next;
}

}  // namespace velunor::testing
