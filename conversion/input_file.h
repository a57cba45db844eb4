#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "byte_source.h"

namespace velunor {

// Identity of a file on disk, however its path is spelled.
struct FileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
};

// The log, opened for sequential reading.
class InputFile : public ByteSource {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::size_t Read(char* buffer, std::size_t capacity) override;
  std::int64_t Length() const;
  const FileIdentity& Identity() const { return identity_; }
  void Close();

 private:
  int fd_ = -1;
  FileIdentity identity_;
};

}  // namespace velunor
