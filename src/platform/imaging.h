#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/window.h"

// Pictures and drawing: PNG decoding, straight-alpha pixel access, source-over compositing and
// text (Windows: GDI+ and GDI; POSIX: cairo).
namespace orvex::platform {

// A decoded picture. Pixels read and write as straight (not premultiplied) 0xAARRGGBB.
struct Image;
void DestroyImage(Image* image);
struct ImageDeleter {
  void operator()(Image* image) const { DestroyImage(image); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

// Null when the bytes are not a picture the decoder reads.
ImagePtr DecodeImage(std::span<const std::uint8_t> encoded);
// A width x height picture, every pixel 0 (transparent); null when it cannot be made.
ImagePtr CreateImage(int width, int height);
int ImageWidth(const Image& image);
int ImageHeight(const Image& image);
std::uint32_t GetImagePixel(const Image& image, int x, int y);
void SetImagePixel(Image& image, int x, int y, std::uint32_t argb);
// Upside down: row y becomes row height - 1 - y; left and right stay.
void FlipImageVertically(Image& image);

// Where drawing goes: a window's paint, or an off-screen picture. Drawing is relative to the
// current origin and clipped to the current clip rectangle (see PushClip).
struct Surface;

// Moves the origin to (x, y) of the current origin and clips to width x height there, on top
// of the clipping already in force. PopClip undoes the last PushClip.
void PushClip(Surface& surface, int x, int y, int width, int height);
void PopClip(Surface& surface);

void FillRectangle(Surface& surface, const RegionRect& rect, std::uint32_t rgb);
// Source-over, the image scaled into the rectangle.
void DrawImage(Surface& surface, const Image& image, int x, int y, int width, int height);

struct FontSpec {
  std::string face;  // the closest face the system has stands in
  int height = 0;    // character height in pixels, without internal leading
  bool bold = false;
};
// One line, centred horizontally in `rect`, its top at the rectangle's top, transparent
// background (Windows: DrawTextA with DT_CENTER | DT_EXPANDTABS).
void DrawTextCentred(Surface& surface, const RegionRect& rect, const std::string& text,
                     const FontSpec& font, std::uint32_t rgb);

// An off-screen, opaque width x height surface (white), for tests and pre-rendering.
void DestroySurface(Surface* surface);
struct SurfaceDeleter {
  void operator()(Surface* surface) const { DestroySurface(surface); }
};
using SurfacePtr = std::unique_ptr<Surface, SurfaceDeleter>;
SurfacePtr CreateOffscreenSurface(int width, int height);
// 0xRRGGBB of an off-screen surface's pixel.
std::uint32_t ReadSurfacePixel(Surface& surface, int x, int y);

}  // namespace orvex::platform
