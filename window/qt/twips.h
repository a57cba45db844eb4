#pragma once

#include <QRect>

namespace velunor {

// The window's design measures in twips, 1/1440 inch: 15 twips are one device-independent pixel.
inline constexpr int kTwipsPerPixel = 15;

constexpr int Pixels(int twips) {
  return twips / kTwipsPerPixel;
}

// A control's place inside its container, from the design's left, top, width and height in twips.
constexpr QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

}  // namespace velunor
