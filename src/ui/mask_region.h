#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/window.h"
#include "ui/bitmap.h"

namespace orvex {

// A window region: one-pixel-high rectangles in window coordinates (right and bottom exclusive).
using TRegion = std::vector<platform::RegionRect>;

// Which pixels lie outside the region: those equal to the key, or those that differ from it.
enum class TMaskMode { Exclude, Include };

// Scans the bitmap row by row, top to bottom, into one rectangle per run of inside pixels.
// Colours compare exactly (no tolerance). None when no rectangle was found.
std::optional<TRegion> BuildMaskRegion(const TBitmap& bitmap, std::uint32_t key, TMaskMode mode);

}  // namespace orvex
