#include "progress_skin.h"

namespace velunor::design {

namespace {

// Even steps from full to none over a half of the ramp, rounded to the nearest level.
std::uint8_t Level(int step, int steps) {
  return static_cast<std::uint8_t>((255 * step + steps / 2) / steps);
}

}  // namespace

Rgb SkinColour(int x) {
  constexpr int middle = kSkinWidth / 2;
  constexpr int right = kSkinWidth - 1;
  if (x <= middle) return {255, Level(x, middle), 0};
  return {Level(right - x, right - middle), 255, 0};
}

int FilledColumns(int width, int percent) {
  return (width * percent + kProgressMax / 2) / kProgressMax;
}

std::string PercentText(int percent) {
  return std::to_string(percent) + "%";
}

}  // namespace velunor::design
