#pragma once

#include <cstdint>

namespace orvex {

// To the nearest integer, halves to the even neighbour (127.5 -> 128, 2.5 -> 2).
int RoundHalfEven(double value);

// The opacity factor (0..255) of reflection row `row`: a linear ramp from `start` at row 0 to
// `end` at row `size`, 0 from row `size` on.
int ReflectionFactor(int row, int size, int start, int end);

// The straight alpha of a reflected pixel: factor / 255 x alpha, rounded.
std::uint8_t ReflectedAlpha(int factor, int alpha);

}  // namespace orvex
