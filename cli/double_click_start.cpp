#include "double_click_start.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

#include "command_line.h"
#include "run_time_error.h"
#include "standard_output.h"

namespace velunor {

namespace {

constexpr int kExitUsage = 2;

#ifdef _WIN32
void WaitForKey() {
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (input == nullptr || input == INVALID_HANDLE_VALUE || !::GetConsoleMode(input, &mode)) return;
  ::FlushConsoleInputBuffer(input);  // a key pressed before the text was shown does not count
  INPUT_RECORD record{};
  DWORD got = 0;
  while (::ReadConsoleInputW(input, &record, 1, &got) && got == 1)
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
}
#endif

}  // namespace

bool HasConsoleOfItsOwn() {
#ifdef _WIN32
  DWORD processes[2];
  return ::GetConsoleProcessList(processes, 2) == 1;
#else
  return false;
#endif
}

int ExplainToDoubleClick() {
  const std::string text =
      std::string(
          "velunor-convert wandelt Log-Dateien um, wenn es in der Eingabeaufforderung\n"
          "oder in PowerShell mit ihren Namen aufgerufen wird, zum Beispiel:\n"
          "\n"
          "  velunor-convert.exe C:\\Messungen\\Anlage1_DAT.LOG\n"
          "\n"
          "Zum Umwandeln mit der Maus dient das Fenster Velunor.exe (im Startmenü: Velunor).\n"
          "\n") +
      kUsageLine +
      "\nAlle Optionen: velunor-convert.exe --help\n\nWeiter mit einer beliebigen Taste...";
  try {
    WriteStandardOutput(text);
  } catch (const RunTimeError&) {
    return kExitUsage;  // nobody can read it: no reason to wait
  }
#ifdef _WIN32
  WaitForKey();
#endif
  return kExitUsage;
}

}  // namespace velunor
