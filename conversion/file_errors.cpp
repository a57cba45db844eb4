#include "file_errors.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace velunor {
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

}  // namespace velunor
