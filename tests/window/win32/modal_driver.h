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

// The folder a file dialog shows.
inline std::wstring FolderOf(HWND dialog) {
  wchar_t folder[MAX_PATH] = L"";
  ::SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
  return folder;
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

struct ShownMessage {
  std::wstring Title, Text;
  bool Icon = false;
};

inline ModalAnswer OnMessage(int button, ShownMessage* shown = nullptr) {
  return [=](HWND box) {
    if (shown)
      *shown = {TextOf(box), ItemText(box, kMessageText),
                ::SendDlgItemMessageW(box, kMessageIcon, STM_GETICON, 0, 0) != 0};
    Press(box, button);
  };
}

namespace detail {
struct Answering {
  std::vector<ModalAnswer> Answers;
  std::size_t Next = 0;
  std::set<HWND> Answered;
  HWND Seen = nullptr;  // the modal window open now, since when
  DWORD Since = 0;
};
inline Answering* answering = nullptr;

inline void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  Answering& a = *answering;
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
  if (modal != a.Seen) a.Seen = modal, a.Since = now;
  // A window is answered once it has settled: the file dialog fills its list after it shows.
  if (!modal || now - a.Since < 200) return;
  // An answer the window did not take (a refusal of its own, say) must not hang the test.
  const bool answered = a.Answered.contains(modal);
  if (answered && now - a.Since < 10000) return;
  if (answered || a.Next == a.Answers.size()) {
    ADD_FAILURE() << "window left open or unexpected: " << Utf8(TextOf(modal));
    a.Since = now;
    return Press(modal, IDCANCEL);
  }
  a.Answered.insert(modal);
  a.Answers[a.Next++](modal);
}
}  // namespace detail

// Calls act and answers the modal windows it opens, in turn. A window beyond the answers fails
// the test and is cancelled, so that no test can hang. Returns how many windows were answered.
inline std::size_t AnswerInTurn(const std::function<void()>& act,
                                std::vector<ModalAnswer> answers) {
  detail::Answering state;
  state.Answers = std::move(answers);
  detail::answering = &state;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, detail::Tick);
  act();
  ::KillTimer(nullptr, timer);
  return state.Next;
}

}  // namespace velunor::testing
