#include "log_name.h"

namespace velunor {
namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

constexpr std::string_view kLogEnding = "DAT.LOG";
constexpr std::string_view kCompressedEnding = ".gz";

std::string_view WithoutCompressedEnding(std::string_view name) {
  if (name.ends_with(kCompressedEnding)) name.remove_suffix(kCompressedEnding.size());
  return name;
}

}  // namespace

bool HasLogEnding(std::string_view name) {
  return WithoutCompressedEnding(name).ends_with(kLogEnding);
}

bool IsAcceptedLogName(std::string_view name) {
  name = WithoutCompressedEnding(name);
  if (!name.ends_with(kLogEnding) || name == kLogNamePattern) return false;
  return name.size() > kLogEnding.size() && !IsSeparator(name[name.size() - kLogEnding.size() - 1]);
}

std::string OutputBaseOf(std::string_view inputPath) {
  inputPath = WithoutCompressedEnding(inputPath);
  constexpr std::size_t kCut = 8;
  return std::string(inputPath.substr(0, inputPath.size() >= kCut ? inputPath.size() - kCut : 0));
}

}  // namespace velunor
