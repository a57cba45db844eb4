#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace velunor {

// An open file of the operating system: a descriptor on POSIX, a HANDLE on Windows.
using NativeHandle = std::intptr_t;
inline constexpr NativeHandle kNoHandle = -1;

// Identity of a file on disk, however its path is spelled: device and inode, or on Windows the
// volume serial number and file index. Unknown for what is not a file on disk (a pipe on Windows).
struct FileIdentity {
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  bool Known = false;
};

inline bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.Known && b.Known && a.Device == b.Device && a.Inode == b.Inode;
}

// What an open file is.
struct FileFacts {
  FileIdentity Identity;
  bool Regular = false;  // a plain file: can be locked, cut back and measured
  std::int64_t Size = 0;
};

enum class LockOutcome { Locked, HeldElsewhere, Unsupported };

// Every call raises RunTimeError on failure unless it says otherwise. Paths are UTF-8.

// Opens the log for reading without waiting for the writer of a FIFO, letting other programs go on
// reading and writing it. A folder is refused.
NativeHandle OpenForReading(const std::string& path);
// Opens or creates a CSV file for writing; never empties it. `append` writes after its content.
NativeHandle OpenForWriting(const std::string& path, bool append);
// The file behind an already open descriptor of the C runtime (standard output).
NativeHandle HandleOfDescriptor(int descriptor);
FileFacts FactsOf(NativeHandle file);
// The identity of the file a path names, if it can be found out.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

// True once a read will not block; false after `milliseconds` without data, or when interrupted.
bool WaitUntilReadable(NativeHandle file, int milliseconds);
// Bytes read, 0 at the end; nothing when interrupted before any came (read again).
std::optional<std::size_t> ReadSome(NativeHandle file, char* buffer, std::size_t capacity);
// Bytes written, at least one.
std::size_t WriteSome(NativeHandle file, const char* data, std::size_t size);

// A lock that keeps other runs from writing the file at the same time.
LockOutcome TryLock(NativeHandle file);
void Unlock(NativeHandle file);
// Cuts the file to `size` bytes; false when that failed (LastSystemError tells why).
bool Truncate(NativeHandle file, std::int64_t size);
// True when every write lands at the file's end, whatever the offset.
bool AppendsAtEnd(NativeHandle file);
// Where the next write lands in the file, or 0 where that has no meaning.
std::int64_t WriteOffset(NativeHandle file);
// False when closing failed.
bool CloseFile(NativeHandle file);
int LastSystemError();

#ifdef _WIN32
// A name given as UTF-8, as Windows takes it (UTF-16).
std::wstring WideText(const std::string& path);
#endif

}  // namespace velunor
