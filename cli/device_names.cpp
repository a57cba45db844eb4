#include "device_names.h"

#include <algorithm>
#include <array>
#include <string>

#include "log_run.h"

namespace velunor {
namespace {

std::string Capitals(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

}  // namespace

bool IsWindowsDeviceName(std::string_view path) {
  // The file name: after the last folder separator, or after a drive ("C:NUL").
  const std::size_t folderEnd = path.find_last_of("/\\");
  std::string_view name = path.substr(folderEnd == std::string_view::npos ? 0 : folderEnd + 1);
  if (folderEnd == std::string_view::npos && name.size() >= 2 && name[1] == ':')
    name.remove_prefix(2);
  // Windows looks at the name before its first dot (or stream colon), without trailing spaces.
  name = name.substr(0, std::min(name.find('.'), name.find(':')));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  const std::string stem = Capitals(name);
  static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
  if (std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end()) return true;
  if (!stem.starts_with("COM") && !stem.starts_with("LPT")) return false;
  const std::string_view number = std::string_view(stem).substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

void RefuseDeviceOutputs([[maybe_unused]] const CommandLine& commandLine) {
#ifdef _WIN32
  if (commandLine.OutputPath) return;
  for (const std::string& log : commandLine.LogFiles) {
    const std::string output = OutputPathOf(log, commandLine);
    if (IsWindowsDeviceName(output)) {
      const bool one = commandLine.LogFiles.size() == 1;
      throw UsageError{"Die Ausgabe von " + log + " wäre " + output +
                       ", unter Windows ein Gerät und keine Datei. Die Log-Datei umbenennen" +
                       (one ? " oder mit -o eine Ausgabe wählen." : ".")};
    }
  }
#endif
}

}  // namespace velunor
