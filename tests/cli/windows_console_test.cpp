// The converter in a console window, as a user sees it there: the German texts on screen, and a
// double click in Explorer, which gives the program a console of its own. Under Wine a console
// needs a display (the test runs in Xvfb).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "native_file.h"

namespace velunor::testing {
namespace {

// The text of the attached console's screen: rows without trailing blanks, a full row joined to
// the next as the console wrapped it.
std::wstring ScreenText() {
  const HANDLE screen =
      ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ::GetConsoleScreenBufferInfo(screen, &info);
  std::wstring text;
  for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
    std::wstring line(static_cast<std::size_t>(info.dwSize.X), L' ');
    DWORD got = 0;
    ::ReadConsoleOutputCharacterW(screen, line.data(), static_cast<DWORD>(line.size()),
                                  COORD{0, row}, &got);
    const std::size_t end = line.find_last_not_of(L' ') + 1;
    text += line.substr(0, end) + (end == line.size() ? L"" : L"\n");
  }
  ::CloseHandle(screen);
  return text;
}

// The converter started with `arguments` (in the test's console, or in a new one of its own),
// ended at the latest when the test is done with it.
struct Started : PROCESS_INFORMATION {
  explicit Started(const std::wstring& arguments, DWORD flags = 0) : PROCESS_INFORMATION{} {
    std::wstring line = L"\"" + WideText(VELUNOR_CONVERT_PATH) + L"\" " + arguments;
    STARTUPINFOW start{};
    start.cb = sizeof start;
    EXPECT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                 nullptr, &start, this));
  }
  ~Started() {
    ::TerminateProcess(hProcess, 99);  // nothing to end when it has ended
    ::CloseHandle(hThread);
    ::CloseHandle(hProcess);
  }
  // Its exit status, or -1 when it is still running after `milliseconds` (Wine starts slowly).
  int Ended(DWORD milliseconds = 30000) const {
    DWORD status = 0;
    return ::WaitForSingleObject(hProcess, milliseconds) == WAIT_OBJECT_0 &&
                   ::GetExitCodeProcess(hProcess, &status)
               ? static_cast<int>(status)
               : -1;
  }
};

// In a console window the user works in: the umlauts of messages on standard error come out
// whole, and a call without arguments ends at once with its message.
TEST(Console, MessagesInTheUsersConsole) {
  ::FreeConsole();
  ASSERT_TRUE(::AllocConsole()) << "no console (Wine needs a display)";
  EXPECT_EQ(Started(L"--status=x a_DAT.LOG").Ended(), 2);
  EXPECT_EQ(Started(L"").Ended(), 2);
  const std::wstring screen = ScreenText();
  EXPECT_NE(screen.find(L"velunor-convert: Ungültiger Wert für --status: \"x\" (erlaubt: copy, "
                        L"transform, discard).\nAufruf: velunor-convert"),
            std::wstring::npos)
      << std::string(screen.begin(), screen.end());
  EXPECT_NE(screen.find(L"velunor-convert: Keine Log-Datei angegeben.\n"), std::wstring::npos);
  EXPECT_EQ(screen.find(L"Taste"), std::wstring::npos);
}

// A double click gives the converter a console of its own, which closes with it: without
// arguments it explains itself and waits for a key; with arguments it just runs.
TEST(Console, ConsoleOfItsOwn) {
  EXPECT_EQ(Started(L"--version", CREATE_NEW_CONSOLE).Ended(), 0);

  const Started child(L"", CREATE_NEW_CONSOLE);
  // Looking at its console attaches the test to it, and the console is no longer the converter's
  // own: first give the converter time to have seen that it is.
  EXPECT_EQ(child.Ended(5000), -1) << "ended without waiting for a key";
  std::wstring screen;
  for (int tries = 0; tries < 300; ++tries, ::Sleep(100)) {
    ::FreeConsole();
    if (!::AttachConsole(child.dwProcessId)) continue;
    screen = ScreenText();
    if (screen.find(L"Taste...") != std::wstring::npos) break;
  }
  EXPECT_NE(screen.find(L"velunor-convert wandelt Log-Dateien um, wenn es in der "
                        L"Eingabeaufforderung\noder in PowerShell"),
            std::wstring::npos)
      << std::string(screen.begin(), screen.end());
  EXPECT_NE(screen.find(L"Fenster Velunor.exe (im Startmenü: Velunor).\n\nAufruf: velunor-convert"),
            std::wstring::npos);
  EXPECT_NE(screen.find(L"\nWeiter mit einer beliebigen Taste...\n"), std::wstring::npos);

  // Only a key pressed ends the wait: not the console window getting the focus, not a key let go.
  const HANDLE keyboard =
      ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  INPUT_RECORD events[] = {
      {.EventType = FOCUS_EVENT, .Event = {.FocusEvent = {TRUE}}},
      {.EventType = KEY_EVENT, .Event = {.KeyEvent = {FALSE, 1, 'X', 0, {L'x'}, 0}}}};
  DWORD written = 0;
  EXPECT_TRUE(::WriteConsoleInputW(keyboard, events, 2, &written));
  EXPECT_EQ(child.Ended(1000), -1) << "ended without a key pressed";
  events[1].Event.KeyEvent.bKeyDown = TRUE;
  EXPECT_TRUE(::WriteConsoleInputW(keyboard, events + 1, 1, &written));
  ::CloseHandle(keyboard);
  EXPECT_EQ(child.Ended(), 2);
}

}  // namespace
}  // namespace velunor::testing
