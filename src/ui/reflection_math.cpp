#include "ui/reflection_math.h"

#include <algorithm>
#include <cmath>

namespace orvex {

int RoundHalfEven(double value) {
  const double down = std::floor(value);
  const double diff = value - down;
  double result = down;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(down, 2.0) != 0.0)) result = down + 1.0;
  return static_cast<int>(result);
}

int ReflectionFactor(int row, int size, int start, int end) {
  if (row >= size || size <= 0) return 0;
  const double s = size;
  const int f = RoundHalfEven((s - row) / s * start + row / s * end);
  return std::clamp(f, 0, 255);
}

std::uint8_t ReflectedAlpha(int factor, int alpha) {
  return static_cast<std::uint8_t>(std::clamp(RoundHalfEven(factor / 255.0 * alpha), 0, 255));
}

}  // namespace orvex
