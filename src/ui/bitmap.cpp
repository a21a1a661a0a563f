#include "ui/bitmap.h"

#include <cstddef>

namespace orvex {

namespace {

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

}  // namespace

TBitmap::TBitmap(int width, int height, std::uint32_t fill)
    : width_(width > 0 && height > 0 ? width : 0),
      height_(width > 0 && height > 0 ? height : 0),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

TBitmap TBitmap::FromBmpFile(std::span<const std::uint8_t> file) {
  constexpr std::size_t kFileHeader = 14;
  if (file.size() < kFileHeader + 40 || file[0] != 'B' || file[1] != 'M') return {};
  const std::uint32_t dataOffset = Le32(file, 10);
  const std::uint32_t infoSize = Le32(file, 14);
  if (infoSize < 40 || infoSize > file.size() - kFileHeader) return {};
  const auto width = static_cast<std::int32_t>(Le32(file, 18));
  const auto rawHeight = static_cast<std::int32_t>(Le32(file, 22));
  const std::uint16_t bits = Le16(file, 28);
  const std::uint32_t compression = Le32(file, 30);
  // 0 = uncompressed; 3 = bit fields, accepted for 32 bits with the usual layout only.
  if ((bits != 24 && bits != 32) || (compression != 0 && !(compression == 3 && bits == 32))) {
    return {};
  }
  if (rawHeight == INT32_MIN) return {};
  const bool topDown = rawHeight < 0;
  const std::int32_t height = topDown ? -rawHeight : rawHeight;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return {};
  const std::size_t bytesPerPixel = bits / 8;
  const std::size_t stride =
      (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
  if (dataOffset > file.size() ||
      (file.size() - dataOffset) / stride < static_cast<std::size_t>(height)) {
    return {};
  }
  TBitmap bitmap(width, height);
  for (std::int32_t row = 0; row < height; ++row) {
    const std::size_t line = dataOffset + static_cast<std::size_t>(row) * stride;
    const int y = topDown ? row : height - 1 - row;
    for (std::int32_t x = 0; x < width; ++x) {
      const std::size_t at = line + static_cast<std::size_t>(x) * bytesPerPixel;
      // Stored blue, green, red.
      bitmap.SetPixel(x, y,
                      static_cast<std::uint32_t>(file[at + 2]) << 16 |
                          static_cast<std::uint32_t>(file[at + 1]) << 8 | file[at]);
    }
  }
  return bitmap;
}

}  // namespace orvex
