#include "ui/mask_region.h"

namespace orvex {

std::optional<TRegion> BuildMaskRegion(const TBitmap& bitmap, std::uint32_t key, TMaskMode mode) {
  if (bitmap.Empty()) return std::nullopt;
  key &= 0xFFFFFF;
  auto outside = [&](int x, int y) {
    return (bitmap.Pixel(x, y) == key) == (mode == TMaskMode::Exclude);
  };
  TRegion region;
  const int width = bitmap.Width();
  for (int y = 0; y < bitmap.Height(); ++y) {
    int x = 0;
    while (x < width) {
      while (x < width && outside(x, y)) ++x;
      if (x == width) break;
      const int start = x;
      while (x < width && !outside(x, y)) ++x;
      region.push_back({start, y, x, y + 1});
    }
  }
  if (region.empty()) return std::nullopt;
  return region;
}

}  // namespace orvex
