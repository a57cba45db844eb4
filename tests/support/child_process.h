#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "native_file.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace velunor::testing {

// How a started program ended, by its exit status and what it wrote to its standard output and
// error, each caught in a file of its own and read back once it has ended.
struct ChildResult {
  int ExitStatus = -1;  // -1 when a signal ended the program; 127 when it could not be started
  std::string Out;
  std::string Err;
};

// Starts `program` with `arguments` in the working folder `folder` (empty: the test's own) and
// waits for its end; `started` gets its process id, for another thread.
inline ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& folder = "", std::atomic<int>* started = nullptr) {
  ChildResult result;
  TempDir caught;
#ifdef _WIN32
  // Each word quoted for the C runtime to split the line again: the tests' words hold no quote and
  // end in no backslash, which would need escaping.
  std::wstring line = L"\"" + WideText(program) + L"\"";
  for (const std::string& word : arguments) line += L" \"" + WideText(word) + L"\"";
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const auto capture = [&](const char* name) {
    return ::CreateFileW(WideText(caught / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                         &inherited, CREATE_ALWAYS, 0, nullptr);
  };
  STARTUPINFOW start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  start.hStdOutput = capture("out");
  start.hStdError = capture("err");
  PROCESS_INFORMATION child{};
  DWORD status = 127;
  if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : WideText(folder).c_str(), &start, &child)) {
    if (started) *started = static_cast<int>(child.dwProcessId);
    ::WaitForSingleObject(child.hProcess, INFINITE);
    ::GetExitCodeProcess(child.hProcess, &status);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
  }
  result.ExitStatus = static_cast<int>(status);
  ::CloseHandle(start.hStdOutput);
  ::CloseHandle(start.hStdError);
#else
  std::vector<char*> argv{const_cast<char*>(program.c_str())};  // execv changes none of them
  for (const std::string& word : arguments) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const int out = ::open((caught / "out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const int err = ::open((caught / "err").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);

  const pid_t pid = ::fork();
  if (pid == 0) {  // only async-signal-safe calls until exec
    bool ready = ::dup2(out, STDOUT_FILENO) >= 0 && ::dup2(err, STDERR_FILENO) >= 0;
    // No standard input: the program reads no terminal, and the first file it opens gets
    // descriptor 0, which it must treat like any other.
    ::close(STDIN_FILENO);
    ::close_range(3, ~0U, 0);  // nor any other descriptor of the test's
    if (!folder.empty()) ready = ready && ::chdir(folder.c_str()) == 0;
    // The program starts with these signals at their defaults, as from a shell, whatever the
    // test runner ignores: handling them is the program's own job.
    for (const int signal : {SIGXFSZ, SIGINT, SIGTERM, SIGHUP}) ::signal(signal, SIG_DFL);
    if (ready) ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (started && pid > 0) *started = pid;
  int status = 0;
  while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (pid > 0 && WIFEXITED(status)) result.ExitStatus = WEXITSTATUS(status);
  ::close(out);
  ::close(err);
#endif
  result.Out = ReadFile(caught / "out");
  result.Err = ReadFile(caught / "err");
  return result;
}

}  // namespace velunor::testing
