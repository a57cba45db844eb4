#pragma once

#include <string>
#include <string_view>

namespace velunor {

// Texts are UTF-8 inside the program and UTF-16 at the Windows API.
std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

}  // namespace velunor
