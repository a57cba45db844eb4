#pragma once

#include <string>
#include <string_view>

#include "native_file.h"

namespace velunor {

// Puts a placeholder on each of the three standard descriptors the converter was started
// without: a file opened later can then never take one of their numbers, and a write to a
// closed standard output still fails instead of landing in a CSV file.
void ReserveStandardStreams();

// The start of the message for a failure to write to standard output, before the error's text.
inline constexpr const char* kStandardOutputFailed =
    "velunor-convert: Fehler beim Schreiben auf die Standardausgabe:";

// Writes all of `text` to standard output; a failure (a full disk, a closed output) raises
// RunTimeError, since a result nobody received is no success.
void WriteStandardOutput(std::string_view text);

// Writes all of `text` to the open file, raising RunTimeError as above.
void WriteAll(NativeHandle file, std::string_view text);

// Whether `path` names the file standard output already writes to (by device and inode, however
// the path is spelled: "/dev/stdout", the file the shell redirected to).
bool IsStandardOutput(const std::string& path);

}  // namespace velunor
