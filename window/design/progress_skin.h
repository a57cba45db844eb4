#pragma once

#include <cstdint>
#include <string>

namespace velunor::design {

// The progress bar's looks, the same in every toolkit: a sunken border, the button face inside,
// the skin picture revealed from the left up to the position, the percentage centred across it in
// the button text colour.
struct Rgb {
  std::uint8_t Red, Green, Blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr int kProgressMax = 100;
// The skin picture: every row the same ramp, red at the left edge, yellow at the middle column,
// green at the right edge.
inline constexpr int kSkinWidth = 333;
inline constexpr int kSkinHeight = 21;
// The bevel around the skin, in pixels at 96 dots per inch; the bar's designed size is the skin
// plus this on every side.
inline constexpr int kSkinBorder = 2;

// The skin's colour in column x (0 to kSkinWidth - 1).
Rgb SkinColour(int x);

// How many of `width` columns inside the border show the skin at `percent`.
int FilledColumns(int width, int percent);

// The text across the bar: "50%".
std::string PercentText(int percent);

}  // namespace velunor::design
