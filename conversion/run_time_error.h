#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace velunor {

// Error numbers of the failures the tool can meet. They keep the classic numbers users know from
// the tool's earlier versions; the descriptions are German like every other text.
namespace error_number {
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kFileAlreadyOpen = 55;
inline constexpr std::int32_t kDeviceIo = 57;
inline constexpr std::int32_t kDiskFull = 61;
// A gzip log that is damaged or cut off: the classic number for reading past a file's end.
inline constexpr std::int32_t kCompressedLogDamaged = 62;
inline constexpr std::int32_t kTooManyFiles = 67;
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kPathFileAccess = 75;
inline constexpr std::int32_t kPathNotFound = 76;
inline constexpr std::int32_t kCancel = 32755;
}  // namespace error_number

// The one failure type: an error number with its German description.
class RunTimeError : public std::runtime_error {
 public:
  // Uses the standard description of a known number.
  explicit RunTimeError(std::int32_t number);
  RunTimeError(std::int32_t number, std::string description);

  std::int32_t Number() const noexcept { return number_; }

 private:
  std::int32_t number_;
};

// German description of a known error number; a neutral text for any other.
std::string DescriptionOf(std::int32_t number);

// The text a user sees for an error: number text, " - ", description (" 53 - Datei nicht
// gefunden").
std::string ErrorText(const RunTimeError& error);

}  // namespace velunor
