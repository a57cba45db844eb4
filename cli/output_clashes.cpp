#include "output_clashes.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <regex>

#include "device_names.h"
#include "log_name.h"
#include "native_file.h"
#include "output_path.h"
#include "path_spelling.h"
#include "rejected_report.h"

namespace velunor {
namespace {

namespace fs = std::filesystem;

// A file as the system sees it: its absolute path with links and ".." resolved as far as it
// exists (in capitals where letter case does not matter), and its identity when it exists (which
// also finds a hard link).
struct FileKey {
  std::string Path;
  std::optional<FileIdentity> Identity;
};

// Follows the links the name itself is, also one whose target does not exist yet: writing
// through it creates that target, which another output may name too.
fs::path FollowLinks(fs::path path) {
  constexpr int kMostLinks = 40;  // as the system allows before it gives up (ELOOP)
  for (int link = 0; link < kMostLinks; ++link) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) break;
    const fs::path target = fs::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path;
}

FileKey KeyOf(const std::string& name) {
  std::error_code error;
  fs::path path = fs::absolute(name, error);
  if (!error) path = fs::weakly_canonical(FollowLinks(path), error);
  if (error || path.empty()) path = fs::path(name).lexically_normal();  // no working folder
  return {ComparablePath(path.string()), IdentityOfPath(name)};
}

bool Same(const FileKey& a, const FileKey& b) {
  return a.Path == b.Path || (a.Identity && b.Identity && SameFile(*a.Identity, *b.Identity));
}

// Whether `file` is one of the slice files of a log whose output base is `base`.
bool IsSliceOf(const FileKey& file, const FileKey& base) {
  static const std::regex kSuffix("_[0-9]{2,}d[0-9]{2}h[0-9]{2}m\\.CSV",
                                  kNamesIgnoreCase ? std::regex::icase : std::regex::ECMAScript);
  return file.Path.starts_with(base.Path) &&
         std::regex_match(file.Path.substr(base.Path.size()), kSuffix);
}

// A name shaped like a log may well be one the shell's pattern handed over in the wrong place:
// it is never written to.
void RefuseLogShapedName(const std::optional<std::string>& name, const char* option) {
  if (name && HasLogEnding(*name)) {
    throw UsageError{
        std::string("Der Name für ") + option +
        " endet wie der einer Log-Datei auf DAT.LOG und würde sie überschreiben: " + *name + "."};
  }
}

}  // namespace

void RefuseClashingOutputs(const CommandLine& commandLine) {
  RefuseLogShapedName(commandLine.OutputPath, "-o");
  RefuseLogShapedName(commandLine.RejectedPath, "--rejected");
  RefuseDeviceOutputs(commandLine);
  const std::vector<std::string>& logs = commandLine.LogFiles;
  const bool split = commandLine.Options.SplitMinutes > 0;
  std::vector<FileKey> outputs;
  for (const std::string& log : logs) outputs.push_back(KeyOf(OutputPathOf(log, commandLine)));
  for (std::size_t i = 0; i < logs.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (Same(outputs[i], outputs[j])) {
        throw UsageError{"Zwei Log-Dateien würden in dieselbe Ausgabe schreiben: " + logs[j] +
                         " und " + logs[i] + "."};
      }
    }
  }
  if (!commandLine.RejectedPath) return;
  const std::string& rejected = *commandLine.RejectedPath;
  if (RejectedReport::OnStandardOutput(rejected)) {
    const auto csvThere = [&](const std::string& log) {
      return CsvGoesToStandardOutput(log, commandLine);
    };
    if (std::any_of(logs.begin(), logs.end(), csvThere)) {
      throw UsageError{
          "Die CSV-Ausgabe und --rejected können nicht beide auf die Standardausgabe gehen."};
    }
    return;
  }
  const FileKey report = KeyOf(rejected);
  for (std::size_t i = 0; i < logs.size(); ++i) {
    const bool clash = Same(report, KeyOf(logs[i])) || Same(report, outputs[i]) ||
                       (split && IsSliceOf(report, KeyOf(OutputBaseOf(logs[i]))));
    if (clash) {
      throw UsageError{"Die Datei für --rejected ist zugleich Log-Datei oder Ausgabe von " +
                       logs[i] + ": " + rejected + "."};
    }
  }
}

}  // namespace velunor
