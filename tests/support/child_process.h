#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

namespace velunor::testing {

// How a program is started beyond its arguments.
struct ChildSetup {
  std::string WorkingDirectory{};  // empty: the test's own
  // Runs the program under this user and group id instead of the test's (needs root).
  std::optional<uid_t> User{};
  // Largest file the program may write; past it the system sends SIGXFSZ, at its default.
  std::optional<rlim_t> FileSizeLimit{};
};

// Exit statuses of a child that never reached the program.
inline constexpr int kChildSetupFailed = 125;
inline constexpr int kChildExecFailed = 127;

struct ChildResult {
  int ExitStatus = -1;  // -1 when a signal ended the program
  std::string Out;
  std::string Err;
};

namespace detail {

inline std::string ReadBack(int fd) {
  std::string text;
  char chunk[4096];
  ::lseek(fd, 0, SEEK_SET);
  for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;) text.append(chunk, got);
  ::close(fd);
  return text;
}

}  // namespace detail

// Runs `program` with `arguments` and waits for it, capturing its standard output and error.
inline ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                            const ChildSetup& setup = {}) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int out = ::memfd_create("child-out", 0);
  const int err = ::memfd_create("child-err", 0);

  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    if (::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0)
      ::_exit(kChildSetupFailed);
    if (!setup.WorkingDirectory.empty() && ::chdir(setup.WorkingDirectory.c_str()) != 0) {
      ::_exit(kChildSetupFailed);
    }
    // The program starts with these signals at their defaults, as from a shell, whatever the
    // test runner ignores: handling them is the program's own job.
    for (const int signal : {SIGXFSZ, SIGINT, SIGTERM, SIGHUP}) ::signal(signal, SIG_DFL);
    if (setup.FileSizeLimit) {
      const rlimit limit{*setup.FileSizeLimit, *setup.FileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(kChildSetupFailed);
    }
    if (setup.User) {
      const gid_t group = static_cast<gid_t>(*setup.User);
      if (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(*setup.User) != 0) {
        ::_exit(kChildSetupFailed);
      }
    }
    ::execv(argv[0], argv.data());
    ::_exit(kChildExecFailed);
  }

  ChildResult result;
  int status = 0;
  while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (pid > 0 && WIFEXITED(status)) result.ExitStatus = WEXITSTATUS(status);
  result.Out = detail::ReadBack(out);
  result.Err = detail::ReadBack(err);
  return result;
}

}  // namespace velunor::testing
