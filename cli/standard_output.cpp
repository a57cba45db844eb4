#include "standard_output.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "native_file.h"
#include "run_time_error.h"

namespace velunor {

namespace {

constexpr int kStandardOutput = 1;

}  // namespace

#ifdef _WIN32
// A Windows program started without standard streams gets no handle for them; files it opens
// never take their place, and writing to them fails.
void ReserveStandardStreams() {}
#else
void ReserveStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // A new descriptor takes the lowest free number, which is this one, as those before it are
    // open by now. Read-only: writing to it fails as writing to the closed one would have.
    ::open("/dev/null", O_RDONLY);
  }
}
#endif

void WriteStandardOutput(std::string_view text) {
  WriteAll(HandleOfDescriptor(kStandardOutput), text);
}

void WriteAll(NativeHandle file, std::string_view text) {
  while (!text.empty()) text.remove_prefix(WriteSome(file, text.data(), text.size()));
}

bool IsStandardOutput(const std::string& path) {
  const std::optional<FileIdentity> named = IdentityOfPath(path);
  if (!named) return false;
  try {
    return SameFile(*named, FactsOf(HandleOfDescriptor(kStandardOutput)).Identity);
  } catch (const RunTimeError&) {
    return false;  // no standard output to compare with
  }
}

}  // namespace velunor
