#include "file_errors.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <filesystem>
#include <system_error>
#endif

namespace velunor {

#ifdef _WIN32

// Windows tells a missing file from a missing folder itself.
RunTimeError OpenError(int systemError, const std::string&) {
  using namespace error_number;
  switch (static_cast<DWORD>(systemError)) {
    case ERROR_FILE_NOT_FOUND:
      return RunTimeError(kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
      return RunTimeError(kPathNotFound);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:  // another run, or a spreadsheet holding the CSV
    case ERROR_LOCK_VIOLATION:
      return RunTimeError(kPermissionDenied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return RunTimeError(kDiskFull);
    case ERROR_TOO_MANY_OPEN_FILES:
      return RunTimeError(kTooManyFiles);
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
      return RunTimeError(kDeviceIo);
    default:  // a folder among them
      return RunTimeError(kPathFileAccess);
  }
}

RunTimeError TransferError(int systemError) {
  using namespace error_number;
  switch (static_cast<DWORD>(systemError)) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
      return RunTimeError(kDiskFull);
    case ERROR_ACCESS_DENIED:
    case ERROR_LOCK_VIOLATION:
      return RunTimeError(kPermissionDenied);
    default:
      return RunTimeError(kDeviceIo);
  }
}

#else

namespace {

bool FolderExists(const std::string& path) {
  std::error_code ignored;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  return std::filesystem::is_directory(parent.empty() ? "." : parent, ignored);
}

}  // namespace

RunTimeError OpenError(int systemError, const std::string& path) {
  using namespace error_number;
  switch (systemError) {
    case ENOENT:
      return RunTimeError(FolderExists(path) ? kFileNotFound : kPathNotFound);
    case ENOTDIR:
      return RunTimeError(kPathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
      return RunTimeError(kPermissionDenied);
    case ETXTBSY:
    case EBUSY:
      return RunTimeError(kFileAlreadyOpen);
    case ENOSPC:
    case EDQUOT:
      return RunTimeError(kDiskFull);
    case EMFILE:  // this process's limit
    case ENFILE:  // the system's
      return RunTimeError(kTooManyFiles);
    case EIO:
      return RunTimeError(kDeviceIo);
    default:
      return RunTimeError(kPathFileAccess);
  }
}

RunTimeError TransferError(int systemError) {
  using namespace error_number;
  switch (systemError) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return RunTimeError(kDiskFull);
    case EACCES:
    case EPERM:
      return RunTimeError(kPermissionDenied);
    case EISDIR:
      return RunTimeError(kPathFileAccess);
    default:
      return RunTimeError(kDeviceIo);
  }
}

#endif

}  // namespace velunor
