#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "byte_source.h"
#include "native_file.h"

namespace velunor {

// The log, opened for sequential reading. A FIFO or pipe is never waited for blindly: until its
// writer has appeared and while it sends nothing, `whileWaiting` is called every few
// milliseconds, and may end the run by raising an error.
class InputFile : public ByteSource {
 public:
  explicit InputFile(const std::string& path, std::function<void()> whileWaiting = {});
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::size_t Read(char* buffer, std::size_t capacity) override;
  std::int64_t Length() const;
  const FileIdentity& Identity() const { return identity_; }
  void Close();

 private:
  void WaitForData();

  NativeHandle fd_ = kNoHandle;
  bool waits_ = false;  // not a regular file: data may be slow to come
  std::function<void()> whileWaiting_;
  FileIdentity identity_;
};

}  // namespace velunor
