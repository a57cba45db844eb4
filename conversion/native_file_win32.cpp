// windows.h must not define min and max, which would break std::min (MSVC).
#define NOMINMAX
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "file_errors.h"
#include "native_file.h"

namespace velunor {
namespace {

HANDLE Win(NativeHandle file) {
  return reinterpret_cast<HANDLE>(file);
}

NativeHandle Native(HANDLE file) {
  return reinterpret_cast<NativeHandle>(file);
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Windows refuses to open a folder as a file with "access denied"; the user is told it is a
// folder, as on Linux.
[[noreturn]] void RefuseOpen(const std::wstring& wide, const std::string& path) {
  const DWORD error = ::GetLastError();
  if (error == ERROR_ACCESS_DENIED && IsFolder(wide)) throw OpenError(ERROR_DIRECTORY, path);
  throw OpenError(static_cast<int>(error), path);
}

}  // namespace

// Names arrive as UTF-8; Windows takes them as UTF-16, so that umlauts in folder and file names
// reach the file system as they were typed.
std::wstring WideText(const std::string& path) {
  if (path.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), size);
  return wide;
}

NativeHandle OpenForReading(const std::string& path) {
  const std::wstring wide = WideText(path);
  // The device's own software may go on reading or writing the log while it is converted.
  const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) RefuseOpen(wide, path);
  return Native(file);
}

NativeHandle OpenForWriting(const std::string& path, bool append) {
  const std::wstring wide = WideText(path);
  // Others may read the CSV while it grows, but no second writer may open it: another run, or a
  // spreadsheet that holds the file, makes this open fail with a sharing violation.
  const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) RefuseOpen(wide, path);
  LARGE_INTEGER none{};
  if (append && !::SetFilePointerEx(file, none, nullptr, FILE_END)) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    throw TransferError(static_cast<int>(error));
  }
  return Native(file);
}

NativeHandle HandleOfDescriptor(int descriptor) {
  return static_cast<NativeHandle>(::_get_osfhandle(descriptor));
}

FileFacts FactsOf(NativeHandle file) {
  FileFacts facts;
  if (::GetFileType(Win(file)) != FILE_TYPE_DISK) return facts;  // a console or a pipe
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(Win(file), &info))
    throw TransferError(static_cast<int>(::GetLastError()));
  facts.Identity = {info.dwVolumeSerialNumber,
                    (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow, true};
  facts.Regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  facts.Size =
      static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
  return facts;
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  // No access asked for: this opens even a file that another program holds without sharing.
  const HANDLE file = ::CreateFileW(WideText(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::optional<FileIdentity> identity;
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(file, &info)) {
    identity = FileIdentity{info.dwVolumeSerialNumber,
                            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow, true};
  }
  ::CloseHandle(file);
  return identity;
}

// A pipe on Windows is read with blocking reads; there is no FIFO to wait for.
bool WaitUntilReadable(NativeHandle, int) {
  return true;
}

std::optional<std::size_t> ReadSome(NativeHandle file, char* buffer, std::size_t capacity) {
  DWORD got = 0;
  const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
  if (::ReadFile(Win(file), buffer, asked, &got, nullptr)) return got;
  const DWORD error = ::GetLastError();
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;  // the writer has gone
  throw TransferError(static_cast<int>(error));
}

std::size_t WriteSome(NativeHandle file, const char* data, std::size_t size) {
  DWORD done = 0;
  const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (!::WriteFile(Win(file), data, asked, &done, nullptr))
    throw TransferError(static_cast<int>(::GetLastError()));
  if (done == 0) throw TransferError(ERROR_DISK_FULL);
  return done;
}

// Only one writer can have the file open (see OpenForWriting), so nothing more is needed.
LockOutcome TryLock(NativeHandle) {
  return LockOutcome::Unsupported;
}

void Unlock(NativeHandle) {}

bool Truncate(NativeHandle file, std::int64_t size) {
  LARGE_INTEGER end{};
  end.QuadPart = size;
  return ::SetFilePointerEx(Win(file), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(Win(file));
}

// Appending moved to the end on opening; writes then go on from there.
bool AppendsAtEnd(NativeHandle) {
  return false;
}

std::int64_t WriteOffset(NativeHandle file) {
  LARGE_INTEGER none{};
  LARGE_INTEGER at{};
  if (!::SetFilePointerEx(Win(file), none, &at, FILE_CURRENT)) return 0;
  return at.QuadPart;
}

bool CloseFile(NativeHandle file) {
  return ::CloseHandle(Win(file)) != 0;
}

int LastSystemError() {
  return static_cast<int>(::GetLastError());
}

}  // namespace velunor
