#include "console_setup.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>

#include "console_error_text.h"

namespace velunor {

#ifdef _WIN32

namespace {

std::string Utf8(const wchar_t* wide) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
  text.pop_back();  // the terminating zero
  return text;
}

UINT consoleCodePageBefore = 0;

// The console goes on serving the programs started after this one, in their code page.
void RestoreConsoleCodePage() {
  ::SetConsoleOutputCP(consoleCodePageBefore);
}

}  // namespace

void PrepareStandardStreams() {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  WriteStandardErrorAsConsoleText();
  if (!::_isatty(::_fileno(stdout)) && !::_isatty(::_fileno(stderr))) return;
  consoleCodePageBefore = ::GetConsoleOutputCP();
  if (consoleCodePageBefore == CP_UTF8 || !::SetConsoleOutputCP(CP_UTF8)) return;
  std::atexit(RestoreConsoleCodePage);
}

std::vector<std::string> ArgumentsOf(int argc, char** argv) {
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (words == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8(words[i]));
  ::LocalFree(words);
  return arguments;
}

bool StandardErrorIsTerminal() {
  return ::_isatty(::_fileno(stderr)) != 0;
}

#else

void PrepareStandardStreams() {}

std::vector<std::string> ArgumentsOf(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

#endif

}  // namespace velunor
