#pragma once

#include <string>
#include <vector>

namespace velunor::testing {

// How a started program ended, by its exit status and what it wrote to its standard output and
// error: RunChild below starts it, with its ChildSetup (working folder and more) beyond its words.
struct ChildResult {
  int ExitStatus = -1;  // -1 when a signal ended the program; 127 when it could not be started
  std::string Out;
  std::string Err;
};

}  // namespace velunor::testing

#ifdef _WIN32
#include "child_process_win32.h"
#else

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace velunor::testing {

// How a program is started beyond its arguments.
struct ChildSetup {
  std::string WorkingDirectory{};  // empty: the test's own
  std::atomic<pid_t>* Started{};   // gets the program's process id, for another thread
};

inline std::string ReadBackAndClose(int fd) {
  std::string text;
  char chunk[4096];
  ::lseek(fd, 0, SEEK_SET);
  for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;) text.append(chunk, got);
  ::close(fd);
  return text;
}

inline ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                            const ChildSetup& setup = {}) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};  // execv changes none of them
  for (const std::string& word : arguments) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const int out = ::memfd_create("child-out", MFD_CLOEXEC);
  const int err = ::memfd_create("child-err", MFD_CLOEXEC);

  const pid_t pid = ::fork();
  if (pid == 0) {  // only async-signal-safe calls until exec
    bool ready = ::dup2(out, STDOUT_FILENO) >= 0 && ::dup2(err, STDERR_FILENO) >= 0;
    // No standard input: the program reads no terminal, and the first file it opens gets
    // descriptor 0, which it must treat like any other.
    ::close(STDIN_FILENO);
    ::close_range(3, ~0U, 0);  // nor any other descriptor of the test's
    if (!setup.WorkingDirectory.empty())
      ready = ready && ::chdir(setup.WorkingDirectory.c_str()) == 0;
    // The program starts with these signals at their defaults, as from a shell, whatever the
    // test runner ignores: handling them is the program's own job.
    for (const int signal : {SIGXFSZ, SIGINT, SIGTERM, SIGHUP}) ::signal(signal, SIG_DFL);
    if (ready) ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (setup.Started && pid > 0) *setup.Started = pid;
  ChildResult result;
  int status = 0;
  while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (pid > 0 && WIFEXITED(status)) result.ExitStatus = WEXITSTATUS(status);
  result.Out = ReadBackAndClose(out);
  result.Err = ReadBackAndClose(err);
  return result;
}

}  // namespace velunor::testing

#endif
