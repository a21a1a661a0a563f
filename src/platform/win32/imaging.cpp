#include "platform/imaging.h"

#include <windows.h>
// GDI+ needs the COM stream and property types, which the lean headers leave out.
#include <objidl.h>
#include <wtypes.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "platform/win32/surface_impl.h"

namespace orvex::platform {

namespace gp = Gdiplus::DllExports;

struct Image {
  Gdiplus::GpBitmap* bitmap = nullptr;
  int width = 0;
  int height = 0;
};

namespace {

// GDI+ is started once, on first use, and left to the end of the process: forms holding
// pictures may outlive any static teardown, and calls after a shutdown would crash.
bool GdiplusReady() {
  static const bool ready = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return ready;
}

ImagePtr Wrap(Gdiplus::GpBitmap* bitmap) {
  UINT width = 0;
  UINT height = 0;
  gp::GdipGetImageWidth(bitmap, &width);
  gp::GdipGetImageHeight(bitmap, &height);
  return ImagePtr(new Image{bitmap, static_cast<int>(width), static_cast<int>(height)});
}

}  // namespace

void DestroyImage(Image* image) {
  if (!image) return;
  if (image->bitmap) gp::GdipDisposeImage(image->bitmap);
  delete image;
}

ImagePtr DecodeImage(std::span<const std::uint8_t> encoded) {
  if (encoded.empty() || !GdiplusReady()) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, encoded.size());
  if (!block) throw std::bad_alloc();
  void* data = GlobalLock(block);
  if (!data) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(data, encoded.data(), encoded.size());
  GlobalUnlock(block);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
    GlobalFree(block);
    return nullptr;
  }
  Gdiplus::GpBitmap* decoded = nullptr;
  Gdiplus::GpBitmap* copy = nullptr;
  if (gp::GdipCreateBitmapFromStream(stream, &decoded) == Gdiplus::Ok) {
    // A bitmap made from a stream reads from it for its whole life: keep a copy of our own in
    // straight ARGB and let the stream go.
    UINT width = 0;
    UINT height = 0;
    gp::GdipGetImageWidth(decoded, &width);
    gp::GdipGetImageHeight(decoded, &height);
    gp::GdipCloneBitmapAreaI(0, 0, static_cast<INT>(width), static_cast<INT>(height),
                             PixelFormat32bppARGB, decoded, &copy);
    gp::GdipDisposeImage(decoded);
  }
  stream->Release();
  return copy ? Wrap(copy) : nullptr;
}

ImagePtr CreateImage(int width, int height) {
  if (width <= 0 || height <= 0 || !GdiplusReady()) return nullptr;
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) !=
      Gdiplus::Ok) {
    return nullptr;
  }
  // New pixels are not promised to be anything: make them transparent.
  Gdiplus::GpGraphics* graphics = nullptr;
  if (gp::GdipGetImageGraphicsContext(bitmap, &graphics) == Gdiplus::Ok) {
    gp::GdipGraphicsClear(graphics, 0);
    gp::GdipDeleteGraphics(graphics);
  }
  return Wrap(bitmap);
}

int ImageWidth(const Image& image) {
  return image.width;
}
int ImageHeight(const Image& image) {
  return image.height;
}

std::uint32_t GetImagePixel(const Image& image, int x, int y) {
  Gdiplus::ARGB argb = 0;
  gp::GdipBitmapGetPixel(image.bitmap, x, y, &argb);
  return argb;
}

void SetImagePixel(Image& image, int x, int y, std::uint32_t argb) {
  gp::GdipBitmapSetPixel(image.bitmap, x, y, argb);
}

void FlipImageVertically(Image& image) {
  gp::GdipImageRotateFlip(image.bitmap, Gdiplus::RotateNoneFlipY);
}

Surface MakeSurface(HDC dc, int width, int height) {
  Surface surface;
  surface.dc = dc;
  surface.width = width;
  surface.height = height;
  surface.current.clip = {0, 0, width, height};
  return surface;
}

void PushClip(Surface& surface, int x, int y, int width, int height) {
  surface.saved.push_back(surface.current);
  Surface::Frame& frame = surface.current;
  frame.originX += x;
  frame.originY += y;
  RECT wanted{frame.originX, frame.originY, frame.originX + std::max(0, width),
              frame.originY + std::max(0, height)};
  RECT clipped{};
  if (!IntersectRect(&clipped, &frame.clip, &wanted)) clipped = {0, 0, 0, 0};
  frame.clip = clipped;
}

void PopClip(Surface& surface) {
  if (surface.saved.empty()) return;
  surface.current = surface.saved.back();
  surface.saved.pop_back();
}

void FillRectangle(Surface& surface, const RegionRect& rect, std::uint32_t rgb) {
  const Surface::Frame& frame = surface.current;
  RECT wanted{frame.originX + rect.left, frame.originY + rect.top, frame.originX + rect.right,
              frame.originY + rect.bottom};
  RECT clipped{};
  if (!IntersectRect(&clipped, &frame.clip, &wanted)) return;
  HBRUSH brush = CreateSolidBrush(RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
  FillRect(surface.dc, &clipped, brush);
  DeleteObject(brush);
}

void DrawImage(Surface& surface, const Image& image, int x, int y, int width, int height) {
  if (!image.bitmap || width <= 0 || height <= 0 || !GdiplusReady()) return;
  const Surface::Frame& frame = surface.current;
  if (IsRectEmpty(&frame.clip)) return;
  Gdiplus::GpGraphics* graphics = nullptr;
  if (gp::GdipCreateFromHDC(surface.dc, &graphics) != Gdiplus::Ok) return;
  gp::GdipSetClipRectI(graphics, frame.clip.left, frame.clip.top,
                       frame.clip.right - frame.clip.left, frame.clip.bottom - frame.clip.top,
                       Gdiplus::CombineModeReplace);
  gp::GdipSetCompositingMode(graphics, Gdiplus::CompositingModeSourceOver);
  if (width == image.width && height == image.height) {
    // At its own size a picture lands pixel for pixel, without resampling at the edges.
    gp::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeNearestNeighbor);
    gp::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
  }
  gp::GdipDrawImageRectI(graphics, image.bitmap, frame.originX + x, frame.originY + y, width,
                         height);
  gp::GdipDeleteGraphics(graphics);
}

void DrawTextCentred(Surface& surface, const RegionRect& rect, const std::string& text,
                     const FontSpec& font, std::uint32_t rgb) {
  const Surface::Frame& frame = surface.current;
  RECT box{frame.originX + rect.left, frame.originY + rect.top, frame.originX + rect.right,
           frame.originY + rect.bottom};
  const int saved = SaveDC(surface.dc);
  IntersectClipRect(surface.dc, frame.clip.left, frame.clip.top, frame.clip.right,
                    frame.clip.bottom);
  // A negative height asks for the character height without internal leading.
  HFONT hfont = CreateFontA(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                            FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face.c_str());
  SelectObject(surface.dc, hfont);
  SetTextColor(surface.dc, RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
  SetBkMode(surface.dc, TRANSPARENT);
  DrawTextA(surface.dc, text.c_str(), static_cast<int>(text.size()), &box,
            DT_CENTER | DT_EXPANDTABS);
  RestoreDC(surface.dc, saved);
  DeleteObject(hfont);
}

void DestroySurface(Surface* surface) {
  if (!surface) return;
  if (surface->bitmap) {
    SelectObject(surface->dc, surface->previousBitmap);
    DeleteObject(surface->bitmap);
    DeleteDC(surface->dc);
  }
  delete surface;
}

SurfacePtr CreateOffscreenSurface(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return nullptr;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) {
    DeleteDC(dc);
    return nullptr;
  }
  SurfacePtr surface(new Surface(MakeSurface(dc, width, height)));
  surface->bitmap = bitmap;
  surface->bits = bits;
  surface->previousBitmap = SelectObject(dc, bitmap);
  FillRectangle(*surface, {0, 0, width, height}, 0xFFFFFF);
  return surface;
}

std::uint32_t ReadSurfacePixel(Surface& surface, int x, int y) {
  if (!surface.bits || x < 0 || y < 0 || x >= surface.width || y >= surface.height) return 0;
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(surface.bits);
  return pixels[static_cast<std::size_t>(y) * surface.width + x] & 0xFFFFFF;
}

}  // namespace orvex::platform
