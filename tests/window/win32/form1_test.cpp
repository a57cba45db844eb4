// The window drawn with Win32: its controls, keys and split bar as the user meets them, and the
// file button's click through the system's own dialogs and message boxes.
#include "form1.h"

#include <commdlg.h>
#include <gtest/gtest.h>
#include <windowsx.h>

#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "duration_labels.h"
#include "temp_dir.h"
#include "wide_text.h"

namespace velunor {
namespace {

using namespace testing;

// Gets the modal window that was opened and must close it (or open the next one).
using ModalAnswer = std::function<void(HWND)>;

// Ids inside the system's file dialog and message box.
constexpr int kFileNameBox = 0x47c;   // the name field (a combo box)
constexpr int kReadOnlyBox = 0x410;   // the file dialog's read-only check box
constexpr int kMessageText = 0xffff;  // the message box's text
constexpr int kMessageIcon = 0x440;   // and its icon

std::wstring TextOf(HWND window) {
  wchar_t text[4096];
  return std::wstring(text, static_cast<std::size_t>(::GetWindowTextW(window, text, 4096)));
}

std::wstring ItemText(HWND dialog, int id) {
  return TextOf(::GetDlgItem(dialog, id));
}

void Press(HWND dialog, int button) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

// Types name into a file dialog's name field and confirms it.
void Confirm(HWND dialog, const std::wstring& name) {
  ::SetDlgItemTextW(dialog, kFileNameBox, name.c_str());
  Press(dialog, IDOK);
}

// Calls act and answers the modal windows it opens, in turn. A window beyond the answers fails
// the test and is cancelled, so that no test can hang. Returns how many windows were answered.
std::size_t AnswerInTurn(const std::function<void()>& act, std::vector<ModalAnswer> answers) {
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

// Handles what is waiting in the thread's queue, as the program's loop would.
void Pump(Form1& form) {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    if (message.message != WM_QUIT) form.Dispatch(message);
}

// A key pressed and released on the control with the keyboard, or Alt and a letter.
void Key(Form1& form, UINT key, bool alt = false) {
  HWND focus = ::GetFocus();
  ::PostMessageW(focus, alt ? WM_SYSCHAR : WM_KEYDOWN, key, alt ? 1 << 29 : 1);
  if (!alt) ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
  Pump(form);
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    form.EndProgram = [this](int status) { ended.push_back(status); };
    ::ShowWindow(form.Handle(), SW_SHOW);
    ::SetForegroundWindow(form.Handle());
    ::SetFocus(form.Command1);
    Pump(form);
  }

  // Expects the open dialog in folder, titled as designed and with the preset name; chooses name.
  ModalAnswer ChooseLog(const std::filesystem::path& name,
                        const std::filesystem::path& folder = std::filesystem::current_path()) {
    return [=, this](HWND dialog) {
      EXPECT_EQ(TextOf(dialog), L"Log-Datei zum Einlesen wählen...");
      EXPECT_EQ(ItemText(dialog, kFileNameBox), L"*_DAT.LOG");
      EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, kReadOnlyBox)));
      wchar_t shown[MAX_PATH] = L"";  // the folder it shows
      ::SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(shown));
      EXPECT_EQ(std::filesystem::path(shown), folder);
      Confirm(dialog, (dir.Path() / name).wstring());
    };
  }

  // Return on the focused control, or Alt+D.
  std::size_t Click(std::vector<ModalAnswer> answers, bool alt = false) {
    return AnswerInTurn([&] { Key(form, alt ? L'd' : VK_RETURN, alt); }, std::move(answers));
  }

  TempDir dir;
  Form1 form;
  std::vector<int> ended;  // the exit statuses the program was ended with
};

TEST_F(Form1Test, StartsWithTheDesignedDefaultsAndIsUsedByKeyboard) {
  EXPECT_EQ(TextOf(form.Command1), L"&Datei...");
  EXPECT_TRUE(::IsWindowVisible(form.Check2) && !::IsWindowVisible(form.Label1));
  EXPECT_EQ(TextOf(form.Text1), L"Keine Teilung");
  EXPECT_EQ(::GetWindowLongPtrW(form.Text1, GWL_STYLE) & ES_READONLY, ES_READONLY);
  // Twips at the window's DPI: Text1 at its place in its frame, as in the window.
  RECT place, want = {form.Pixels(3720), form.Pixels(1920), form.Pixels(5055), form.Pixels(2205)};
  ::GetWindowRect(form.Text1, &place);
  ::MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&place), 2);
  EXPECT_TRUE(::EqualRect(&place, &want)) << place.left << "," << place.top;
  // Fixed single border, minimize but no maximize.
  const LONG_PTR style = ::GetWindowLongPtrW(form.Handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), WS_MINIMIZEBOX);

  // Tab enters the option group at the selected option; the arrow keys move within it and select.
  using enum StatusChannelMode;
  const std::tuple<UINT, HWND, StatusChannelMode> walk[] = {
      {VK_TAB, form.Option1[1], Transform},    {VK_DOWN, form.Option1[2], Discard},
      {VK_UP, form.Option1[1], Transform},     {VK_UP, form.Option1[0], CopyUnchanged},
      {VK_TAB, form.Check2, CopyUnchanged},    {VK_TAB, form.HScroll1, CopyUnchanged},
      {VK_TAB, form.Text1, CopyUnchanged},     {VK_TAB, form.Command1, CopyUnchanged},
      {VK_TAB, form.Option1[0], CopyUnchanged}};  // now at the selected one
  for (const auto& [key, focused, mode] : walk) {
    Key(form, key);
    EXPECT_EQ(::GetFocus(), focused) << key;
    EXPECT_EQ(form.ReadRunOptions().StatusChannelMode, mode) << key;
  }
  EXPECT_EQ(Click({}), 0u);  // Return presses push buttons only

  // Alt+D and Return click; the next open dialog starts where the last log was chosen. Names are
  // Unicode at the dialogs and UTF-8 inside: a folder with an umlaut comes back whole.
  const std::filesystem::path sub = dir.Path() / L"M\u00e4rz";
  std::filesystem::create_directory(sub);
  WriteFile(sub / L"x_dat.log", "");
  const ModalAnswer refused = [](HWND box) {
    EXPECT_EQ(TextOf(box) + L": " + ItemText(box, kMessageText), L"Velunor: Dateiname ungültig...");
    EXPECT_FALSE(::SendDlgItemMessageW(box, kMessageIcon, STM_GETICON, 0, 0));
    Press(box, IDOK);
  };
  EXPECT_EQ(Click({ChooseLog(sub.filename() / "x_dat.log"), refused}, true), 2u);
  ::SetFocus(form.Command1);
  EXPECT_EQ(Click({ChooseLog(sub.filename() / "x_dat.log", sub), refused}), 2u);
}

TEST_F(Form1Test, SplitBarMovesByClickKeysAndWheelAndFollowsOnlyAReleasedThumb) {
  // A key on the focused bar, a scroll message from it (a track click, the thumb) or notches of
  // the wheel towards the user.
  const auto move = [&](char how, int what) {
    if (how == 'k') return Key(form, what);
    const WPARAM wParam = how == 's' ? what : MAKEWPARAM(0, -WHEEL_DELTA * what);
    ::SendMessageW(form.Handle(), how == 's' ? WM_HSCROLL : WM_MOUSEWHEEL, wParam,
                   how == 's' ? reinterpret_cast<LPARAM>(form.HScroll1) : 0);
  };
  const std::pair<std::vector<std::pair<char, int>>, const wchar_t*> moves[] = {
      {{{'s', SB_PAGERIGHT}}, L"01 h, 00 min"},
      {{{'k', VK_LEFT}, {'k', VK_RIGHT}, {'k', VK_RIGHT}, {'k', VK_RIGHT}}, L"00 h, 03 min"},
      {{{'k', VK_END}}, L"48 h, 00 min"},
      {{{'k', VK_END}, {'s', SB_PAGELEFT}}, L"47 h, 00 min"},
      {{{'w', 1}}, L"00 h, 01 min"}};
  ::SetFocus(form.HScroll1);
  for (const auto& [steps, text] : moves) {
    Button_SetCheck(form.Check2, BST_CHECKED);  // a split unticks append, disables and hides it
    for (const auto& [how, what] : steps) move(how, what);
    EXPECT_EQ(TextOf(form.Text1), text);
    EXPECT_TRUE(!Button_GetCheck(form.Check2) && !::IsWindowEnabled(form.Check2) &&
                !::IsWindowVisible(form.Check2) && ::IsWindowVisible(form.Label1));
    move('k', VK_HOME);  // back to the left end
    move('w', -1);       // and no further
    EXPECT_EQ(::GetScrollPos(form.HScroll1, SB_CTL), 0);
    EXPECT_EQ(TextOf(form.Text1), L"Keine Teilung");
    EXPECT_TRUE(::IsWindowEnabled(form.Check2) && ::IsWindowVisible(form.Check2) &&
                !::IsWindowVisible(form.Label1));
  }
  move('s', MAKEWPARAM(SB_THUMBTRACK, 500));
  EXPECT_EQ(TextOf(form.Text1), L"Keine Teilung");  // nothing while dragging
  move('s', MAKEWPARAM(SB_THUMBPOSITION, 500));
  EXPECT_EQ(TextOf(form.Text1), Utf16(FormatSplitInterval(500 * 60)));
}

TEST_F(Form1Test, TheTimerShowsTheOutputSizeAndTheBarTheSkinUpToThePercent) {
  form.Timer1Interval = 10;  // a quicker tick than a run's second
  form.StartOutputSizeDisplay();
  form.BytesWritten() = 123456;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  form.ProcessPendingEvents();
  EXPECT_EQ(TextOf(form.Command1), L" 121 KB Out...");

  // The bar as drawn at 50 %: the ramp's column x at x + 2, the button face beyond.
  form.SetProgress(50);
  ::UpdateWindow(form.STprogressBar1);
  HDC dc = ::GetDC(form.STprogressBar1);
  EXPECT_EQ(::GetPixel(dc, 2 + 83, 3), RGB(255, 128, 0));
  EXPECT_EQ(::GetPixel(dc, 2 + 200, 3), ::GetSysColor(COLOR_BTNFACE));
  ::ReleaseDC(form.STprogressBar1, dc);
}

// The user chooses the log, replaces the CSV file, tries every control during the run and closes
// the window: the run stops early and the program ends.
TEST_F(Form1Test, DuringARunTheWindowIgnoresTheUserAndClosingItStopsTheRun) {
  std::string records;  // no time tick: the run lets events through at a new percent only
  for (int i = 0; i < 2000; ++i) records += "$2;1;;" + std::string(49, '0') + "\r\n";
  WriteFile(dir / "m_DAT.LOG", records);
  WriteFile(dir / "m.CSV", "old");
  static Form1* running;
  static bool tried;  // once: the hidden window after the close is no one's to click
  running = &form;
  tried = false;
  const UINT_PTR user = ::SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) {
    if (tried || ::IsWindowEnabled(running->Command1)) return;
    tried = true;
    ::SendMessageW(running->Command1, BM_CLICK, 0, 0);  // would open a dialog
    // Locked, the options take no click of the user's (a click sent by a program still checks).
    for (HWND option : running->Option1) EXPECT_FALSE(::IsWindowEnabled(option));
    ::SendMessageW(running->Check2, BM_CLICK, 0, 0);
    ::PostMessageW(running->HScroll1, WM_KEYDOWN, VK_RIGHT, 1);
    ::PostMessageW(running->Handle(), WM_CLOSE, 0, 0);
  });
  const ModalAnswer save = [&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), L"CSV-Datei zum Speichern wählen...");
    EXPECT_EQ(ItemText(dialog, kFileNameBox), L"m.CSV");
    Confirm(dialog, ItemText(dialog, kFileNameBox));
  };
  // The third window: the question before replacing m.CSV.
  EXPECT_EQ(Click({ChooseLog("m_DAT.LOG"), save, [](HWND box) { Press(box, IDYES); }}), 3u);
  ::KillTimer(nullptr, user);
  EXPECT_LT(ReadFile(dir / "m.CSV").size(), records.size());
  EXPECT_EQ(ended, std::vector<int>{0});
  EXPECT_FALSE(::IsWindowVisible(form.Handle()));
  EXPECT_TRUE(Button_GetCheck(form.Option1[1]) && !Button_GetCheck(form.Check2));
  EXPECT_EQ(::GetScrollPos(form.HScroll1, SB_CTL), 0);
}

}  // namespace
}  // namespace velunor
