#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "input_file.h"
#include "output_target.h"

namespace velunor {

enum class OutputMode { Replace, Append };

// One CSV file, written sequentially through one large buffer. Lines end in CR LF.
class OutputFile {
 public:
  // Opens the file. Refuses (error 55) a path that names the log itself, before anything is
  // opened for writing, so the log can never be emptied by its own conversion. Takes a lock on
  // a regular file before emptying it: a file another run holds is refused (error 70) unchanged.
  OutputFile(const OutputTarget& target, OutputMode mode, const FileIdentity& log);
  // Writes what is buffered and closes; errors are swallowed here, since this only runs when a
  // run is already failing.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void WriteLine(std::string_view head, std::string_view tail) {
    if (buffer_.size() - used_ < head.size() + tail.size() + 2) Flush();
    char* out = buffer_.data() + used_;
    out = Copy(out, head);
    out = Copy(out, tail);
    out[0] = '\r';
    out[1] = '\n';
    used_ = static_cast<std::size_t>(out + 2 - buffer_.data());
  }

  // Writes what is buffered and closes, raising any failure.
  void Close();

 private:
  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;

  static char* Copy(char* out, std::string_view text) {
    // An empty view may carry no address at all, which memcpy must not be given.
    if (!text.empty()) std::memcpy(out, text.data(), text.size());
    return out + text.size();
  }
  void Flush();
  void TakeOver(bool empty, const FileIdentity& log);
  void CutBackToWholeLines(std::size_t written);
  bool Release();

  NativeHandle fd_ = kNoHandle;
  bool ownsDescriptor_ = true;
  bool regular_ = false;
  bool locked_ = false;
  std::int64_t sizeAtStart_ = 0;  // the file is never cut below this
  std::int64_t committed_ = 0;    // where the file ends after the last complete write
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

}  // namespace velunor
