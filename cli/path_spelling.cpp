#include "path_spelling.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace velunor {

#ifdef _WIN32

std::string ComparablePath(const std::string& path) {
  const int length = static_cast<int>(path.size());
  const int size =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
  if (size <= 0) {
    // Not UTF-8: only the ASCII letters are sure to mean the same characters.
    std::string upper = path;
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
  }
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, path.data(), length, wide.data(), size);
  // The invariant capitals, as the file system compares names (ä and Ä are one name there too).
  ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), size, wide.data(), size,
                  nullptr, nullptr, 0);
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string upper(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, upper.data(), bytes, nullptr, nullptr);
  return upper;
}

#else

std::string ComparablePath(const std::string& path) {
  return path;
}

#endif

}  // namespace velunor
