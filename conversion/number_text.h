#pragma once

#include <cstdint>
#include <string>

namespace velunor {

// Decimal text of a number as the tool's messages show it: a leading space for zero and positive
// numbers, "-" for negative ones, no separators (5 -> " 5", -5 -> "-5").
std::string NumberText(std::int64_t value);

// Nearest integer, an exact half to the even neighbour (2.5 -> 2, 3.5 -> 4). A result outside the
// 32-bit range, or a value that is not a number, raises the overflow error.
std::int32_t RoundHalfEven(double value);

// Kilobytes of a byte count as the messages show them: bytes / 1024, rounded half to even.
std::int32_t Kilobytes(std::int32_t bytes);

}  // namespace velunor
