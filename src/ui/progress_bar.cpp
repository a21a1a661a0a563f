#include "ui/progress_bar.h"

namespace orvex {

int ProgressFillWidth(std::int64_t done, std::int64_t total, int width) {
  if (total <= 0 || done <= 0 || width <= 0) return 0;
  if (done >= total) return width;
  // 64-bit sizes times a few hundred pixels cannot overflow below 2^54 bytes; divide first
  // beyond that.
  if (total > (std::int64_t{1} << 54)) return static_cast<int>(done / (total / width + 1));
  return static_cast<int>(done * width / total);
}

void PaintProgressBar(platform::Surface& surface, const platform::RegionRect& rect,
                      std::int64_t done, std::int64_t total) {
  platform::FillRectangle(surface, rect, kProgressTrackColour);
  const int fill = ProgressFillWidth(done, total, rect.right - rect.left);
  if (fill > 0) {
    platform::FillRectangle(surface, {rect.left, rect.top, rect.left + fill, rect.bottom},
                            kProgressFillColour);
  }
}

}  // namespace orvex
