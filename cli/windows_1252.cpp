#include "windows_1252.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace velunor {
namespace {

// The characters Windows-1252 puts at 0x80 to 0x9F in place of the C1 controls, by code point.
struct Mapped {
  char32_t CodePoint;
  unsigned char Byte;
};
constexpr Mapped kUpperControls[] = {
    {0x0152, 0x8C}, {0x0153, 0x9C}, {0x0160, 0x8A}, {0x0161, 0x9A}, {0x0178, 0x9F}, {0x017D, 0x8E},
    {0x017E, 0x9E}, {0x0192, 0x83}, {0x02C6, 0x88}, {0x02DC, 0x98}, {0x2013, 0x96}, {0x2014, 0x97},
    {0x2018, 0x91}, {0x2019, 0x92}, {0x201A, 0x82}, {0x201C, 0x93}, {0x201D, 0x94}, {0x201E, 0x84},
    {0x2020, 0x86}, {0x2021, 0x87}, {0x2022, 0x95}, {0x2026, 0x85}, {0x2030, 0x89}, {0x2039, 0x8B},
    {0x203A, 0x9B}, {0x20AC, 0x80}, {0x2122, 0x99}};

char ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  const auto found = std::find_if(std::begin(kUpperControls), std::end(kUpperControls),
                                  [c](const Mapped& entry) { return entry.CodePoint == c; });
  return found != std::end(kUpperControls) ? static_cast<char>(found->Byte) : '?';
}

// The length of the UTF-8 sequence a lead byte starts and the bits it carries; 0 for a byte that
// cannot start one.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

std::string Windows1252Of(std::string_view utf8) {
  std::string text;
  text.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = SequenceLength(lead);
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = length > 0 && i + length <= utf8.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode's end are no characters.
    valid = valid && !(length == 3 && c < 0x800) && !(length == 4 && c < 0x10000) &&
            !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
    text += valid ? ByteOf(c) : '?';
    i += valid ? static_cast<std::size_t>(length) : 1;
  }
  return text;
}

}  // namespace velunor
