#pragma once

#include <string>
#include <string_view>

namespace velunor {

// The preset name of the open dialog, which is never a log of its own.
inline constexpr std::string_view kLogNamePattern = "*_DAT.LOG";

// Whether a chosen name is a data log the tool converts: it ends in "DAT.LOG" (case-sensitive),
// or in "DAT.LOG.gz" for a log kept compressed, is not the dialog's pattern, and has a character
// before "DAT.LOG" that is not a folder separator (cutting the name would otherwise reach into
// the folder's name).
bool IsAcceptedLogName(std::string_view name);

// Whether a name ends like a log ("DAT.LOG", "DAT.LOG.gz"), so that writing to it could destroy
// one.
bool HasLogEnding(std::string_view name);

// The name every output file is built on: the log's path without ".gz", then without its last
// eight characters, so a compressed log's outputs are named as the plain log's.
std::string OutputBaseOf(std::string_view inputPath);

// The message shown when a chosen name is refused.
inline constexpr std::string_view kRefusedNameText = "Dateiname ungültig...";

}  // namespace velunor
