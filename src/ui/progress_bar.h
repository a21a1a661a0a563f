#pragma once

#include <cstdint>

#include "platform/imaging.h"

namespace orvex {

// The wait window's download bar: a thin track across the label's width, under its text and
// above the frame's bottom band, filled from the left in the frame's blue.
inline constexpr platform::RegionRect kProgressBarRect{36, 80, 243, 84};
inline constexpr std::uint32_t kProgressTrackColour = 0xE4EAF1;  // the frame's lightest blue
inline constexpr std::uint32_t kProgressFillColour = 0xB7C9DC;   // the frame's core blue

// The filled width for `done` of `total` bytes in a bar `width` pixels wide (0..width).
int ProgressFillWidth(std::int64_t done, std::int64_t total, int width);
// Paints the track and its filled part into `rect`.
void PaintProgressBar(platform::Surface& surface, const platform::RegionRect& rect,
                      std::int64_t done, std::int64_t total);

}  // namespace orvex
