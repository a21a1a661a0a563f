#include "platform/imaging.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/posix/surface_impl.h"

namespace orvex::platform {

// Pixels are kept straight, as the callers read and write them; cairo works premultiplied, so
// the conversion happens only at the edges (decoding and drawing).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

namespace {

struct ReadCursor {
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
};

cairo_status_t ReadFromSpan(void* closure, unsigned char* data, unsigned int length) {
  auto* cursor = static_cast<ReadCursor*>(closure);
  if (cursor->bytes.size() - cursor->at < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, cursor->bytes.data() + cursor->at, length);
  cursor->at += length;
  return CAIRO_STATUS_SUCCESS;
}

std::uint32_t Unpremultiply(std::uint32_t p) {
  const std::uint32_t a = p >> 24;
  if (a == 0) return 0;
  if (a == 255) return p;
  auto channel = [a](std::uint32_t c) {
    return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a);
  };
  return a << 24 | channel(p >> 16 & 0xFF) << 16 | channel(p >> 8 & 0xFF) << 8 | channel(p & 0xFF);
}

std::uint32_t Premultiply(std::uint32_t p) {
  const std::uint32_t a = p >> 24;
  if (a == 255) return p;
  auto channel = [a](std::uint32_t c) { return (c * a + 127) / 255; };
  return a << 24 | channel(p >> 16 & 0xFF) << 16 | channel(p >> 8 & 0xFF) << 8 | channel(p & 0xFF);
}

}  // namespace

void DestroyImage(Image* image) {
  delete image;
}

ImagePtr DecodeImage(std::span<const std::uint8_t> encoded) {
  if (encoded.empty()) return nullptr;
  ReadCursor cursor{encoded};
  cairo_surface_t* decoded = cairo_image_surface_create_from_png_stream(ReadFromSpan, &cursor);
  if (cairo_surface_status(decoded) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(decoded);
    return nullptr;
  }
  const int width = cairo_image_surface_get_width(decoded);
  const int height = cairo_image_surface_get_height(decoded);
  // Whatever format the decoder chose, read it back as premultiplied ARGB32.
  cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(argb);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, decoded, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(decoded);
  cairo_surface_flush(argb);
  ImagePtr image;
  if (cairo_surface_status(argb) == CAIRO_STATUS_SUCCESS) {
    image.reset(new Image{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)});
    const unsigned char* data = cairo_image_surface_get_data(argb);
    const int stride = cairo_image_surface_get_stride(argb);
    for (int y = 0; y < height; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
      for (int x = 0; x < width; ++x)
        image->argb[std::size_t(y) * width + x] = Unpremultiply(row[x]);
    }
  }
  cairo_surface_destroy(argb);
  return image;
}

ImagePtr CreateImage(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  return ImagePtr(
      new Image{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)});
}

int ImageWidth(const Image& image) {
  return image.width;
}
int ImageHeight(const Image& image) {
  return image.height;
}

std::uint32_t GetImagePixel(const Image& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
  return image.argb[std::size_t(y) * image.width + x];
}

void SetImagePixel(Image& image, int x, int y, std::uint32_t argb) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  image.argb[std::size_t(y) * image.width + x] = argb;
}

void FlipImageVertically(Image& image) {
  for (int top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(image.argb.begin() + std::ptrdiff_t(top) * image.width,
                     image.argb.begin() + std::ptrdiff_t(top + 1) * image.width,
                     image.argb.begin() + std::ptrdiff_t(bottom) * image.width);
  }
}

Surface MakeSurface(cairo_surface_t* target) {
  Surface surface;
  surface.target = cairo_surface_reference(target);
  surface.cr = cairo_create(target);
  return surface;
}

void ReleaseSurface(Surface& surface) {
  if (surface.cr) cairo_destroy(surface.cr);
  if (surface.target) {
    cairo_surface_flush(surface.target);
    cairo_surface_destroy(surface.target);
  }
  surface = {};
}

void PushClip(Surface& surface, int x, int y, int width, int height) {
  cairo_save(surface.cr);
  cairo_translate(surface.cr, x, y);
  cairo_rectangle(surface.cr, 0, 0, std::max(0, width), std::max(0, height));
  cairo_clip(surface.cr);
}

void PopClip(Surface& surface) {
  cairo_restore(surface.cr);
}

void FillRectangle(Surface& surface, const RegionRect& rect, std::uint32_t rgb) {
  cairo_t* cr = surface.cr;
  cairo_save(cr);
  cairo_set_source_rgb(cr, (rgb >> 16 & 0xFF) / 255.0, (rgb >> 8 & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
  cairo_rectangle(cr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  cairo_fill(cr);
  cairo_restore(cr);
}

void DrawImage(Surface& surface, const Image& image, int x, int y, int width, int height) {
  if (image.width <= 0 || image.height <= 0 || width <= 0 || height <= 0) return;
  cairo_surface_t* source =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  if (cairo_surface_status(source) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(source);
    return;
  }
  cairo_surface_flush(source);
  unsigned char* data = cairo_image_surface_get_data(source);
  const int stride = cairo_image_surface_get_stride(source);
  for (int row = 0; row < image.height; ++row) {
    auto* line = reinterpret_cast<std::uint32_t*>(data + std::size_t(row) * stride);
    for (int col = 0; col < image.width; ++col) {
      line[col] = Premultiply(image.argb[std::size_t(row) * image.width + col]);
    }
  }
  cairo_surface_mark_dirty(source);
  cairo_t* cr = surface.cr;
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, double(width) / image.width, double(height) / image.height);
  cairo_set_source_surface(cr, source, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(source);
}

void DrawTextCentred(Surface& surface, const RegionRect& rect, const std::string& text,
                     const FontSpec& font, std::uint32_t rgb) {
  cairo_t* cr = surface.cr;
  cairo_save(cr);
  cairo_rectangle(cr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  cairo_clip(cr);
  // Fontconfig picks the closest face it has when the named one is missing.
  cairo_select_font_face(cr, font.face.c_str(), CAIRO_FONT_SLANT_NORMAL,
                         font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, font.height);
  cairo_font_extents_t fontExtents;
  cairo_font_extents(cr, &fontExtents);
  cairo_text_extents_t textExtents;
  cairo_text_extents(cr, text.c_str(), &textExtents);
  const int left = rect.left + (rect.right - rect.left - int(textExtents.x_advance + 0.5)) / 2;
  cairo_set_source_rgb(cr, (rgb >> 16 & 0xFF) / 255.0, (rgb >> 8 & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
  cairo_move_to(cr, left, rect.top + fontExtents.ascent);
  cairo_show_text(cr, text.c_str());
  cairo_restore(cr);
}

void DestroySurface(Surface* surface) {
  if (!surface) return;
  ReleaseSurface(*surface);
  delete surface;
}

SurfacePtr CreateOffscreenSurface(int width, int height) {
  cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(target) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(target);
    return nullptr;
  }
  SurfacePtr surface(new Surface(MakeSurface(target)));
  cairo_surface_destroy(target);
  cairo_set_source_rgb(surface->cr, 1, 1, 1);
  cairo_paint(surface->cr);
  return surface;
}

std::uint32_t ReadSurfacePixel(Surface& surface, int x, int y) {
  cairo_surface_flush(surface.target);
  if (cairo_surface_get_type(surface.target) != CAIRO_SURFACE_TYPE_IMAGE) return 0;
  const int width = cairo_image_surface_get_width(surface.target);
  const int height = cairo_image_surface_get_height(surface.target);
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  const unsigned char* data = cairo_image_surface_get_data(surface.target);
  const int stride = cairo_image_surface_get_stride(surface.target);
  return reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride)[x] & 0xFFFFFF;
}

}  // namespace orvex::platform
