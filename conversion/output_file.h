#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "input_file.h"
#include "output_target.h"
#include "page_buffer.h"

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

  // The longest line WriteRecord takes, and how far its text must be readable.
  static constexpr std::size_t kRecordSpan = 64;

  // Writes one line of at most kRecordSpan bytes, with its first byte replaced by "$" when
  // `dollarLead` is set. `line` must be readable for kRecordSpan bytes, as the line reader's
  // blocks are: copying that fixed span is a few moves, with no decision on the length.
  void WriteRecord(const char* line, std::size_t length, bool dollarLead) {
    if (buffer_.size() - used_ < kRecordSpan + 2) Flush();
    char* out = buffer_.data() + used_;
    // Counted before the bytes are stored, which the compiler would otherwise have to assume
    // might change the count.
    used_ += length + 2;
    std::memcpy(out, line, kRecordSpan);
    if (dollarLead) out[0] = '$';
    out[length] = '\r';
    out[length + 1] = '\n';
  }

  // Writes what is buffered and closes, raising any failure.
  void Close();

 private:
  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;

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
  PageBuffer buffer_;
  std::size_t used_ = 0;
};

}  // namespace velunor
