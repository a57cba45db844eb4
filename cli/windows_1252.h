#pragma once

#include <string>
#include <string_view>

namespace velunor {

// A name given as UTF-8 (as the converter takes names on every system) in the single-byte
// Windows-1252 text of the CSV files: each character that has a byte there becomes that byte,
// any other, and any byte that is no part of valid UTF-8, becomes "?".
std::string Windows1252Of(std::string_view utf8);

}  // namespace velunor
