#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvex {

// A decoded Windows bitmap file: rows top-down, each pixel a 24-bit colour 0xRRGGBB. Only what
// the mask needs is read (uncompressed 24 and 32 bits per pixel, either row order); anything
// else, or a file that does not add up, gives an empty bitmap.
class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(int width, int height, std::uint32_t fill = 0);
  static TBitmap FromBmpFile(std::span<const std::uint8_t> file);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  std::uint32_t Pixel(int x, int y) const { return pixels_[Index(x, y)]; }
  void SetPixel(int x, int y, std::uint32_t rgb) { pixels_[Index(x, y)] = rgb & 0xFFFFFF; }

  // Files larger than this in either direction are refused rather than allocated.
  static constexpr int kMaxSide = 16384;

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace orvex
