#include "ui/reflection_image.h"

#include <new>

#include "core/exception.h"
#include "ui/reflection_math.h"

namespace orvex {

platform::ImagePtr BuildReflectionImage(const platform::Image& picture, int size, int start,
                                        int end) {
  const int width = platform::ImageWidth(picture);
  const int height = platform::ImageHeight(picture);
  platform::ImagePtr reflection = platform::CreateImage(width, height);
  if (!reflection) return nullptr;
  for (int y = 0; y < height; ++y) {
    const int factor = ReflectionFactor(y, size, start, end);
    const int sourceRow = height - 1 - y;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = platform::GetImagePixel(picture, x, sourceRow);
      const int alpha = static_cast<int>(pixel >> 24);
      if (alpha == 0) continue;
      const std::uint32_t scaled = ReflectedAlpha(factor, alpha);
      platform::SetImagePixel(*reflection, x, y, scaled << 24 | (pixel & 0xFFFFFF));
    }
  }
  return reflection;
}

TReflectionImage::TReflectionImage(TComponent* owner)
    : TGraphicControl(owner), picture_(std::make_unique<TEncodedPicture>()) {
  SetBounds(0, 0, 32, 32);
  picture_->SetOnChange([this] { PictureChanged(); });
}

TReflectionImage::~TReflectionImage() = default;

void TReflectionImage::SetPicture(const TEncodedPicture& picture) {
  picture_->Assign(picture);
  Invalidate();
}

void TReflectionImage::PictureChanged() {
  BuildReflection();
  if (autoSize_) ApplyAutoSize();
  Invalidate();
}

void TReflectionImage::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  if (autoSize_) ApplyAutoSize();
}

void TReflectionImage::SetReflectionOpacityStart(int value) {
  if (value < 0 || value > 255 || value == opacityStart_) return;
  opacityStart_ = value;
  BuildReflection();
  Invalidate();
}

void TReflectionImage::SetReflectionOpacityEnd(int value) {
  if (value < 0 || value > 255 || value == opacityEnd_) return;
  opacityEnd_ = value;
  BuildReflection();
  Invalidate();
}

void TReflectionImage::SetReflectionSize(int value) {
  if (value < 0 || value == reflectionSize_) return;
  reflectionSize_ = value;
  BuildReflection();
  if (autoSize_) ApplyAutoSize();
  Invalidate();
}

void TReflectionImage::SetReflectionAxis(int value) {
  if (value == reflectionAxis_) return;
  reflectionAxis_ = value;
  Invalidate();
}

void TReflectionImage::MouseEnter() {
  if (onMouseEnter_) onMouseEnter_(this);
}

void TReflectionImage::MouseLeave() {
  if (onMouseLeave_) onMouseLeave_(this);
}

void TReflectionImage::BuildReflection() {
  if (picture_->Empty() || Loading()) return;
  picture_->ReadPictureSize();
  platform::ImagePtr source = picture_->Decode();
  reflection_.reset();
  if (!source) return;  // unreadable bytes: no reflection, nothing raised
  try {
    reflection_ = BuildReflectionImage(*source, reflectionSize_, opacityStart_, opacityEnd_);
  } catch (const std::bad_alloc&) {
    throw Exception("Could not allocate memory for reflection image");
  }
}

void TReflectionImage::ApplyAutoSize() {
  if (picture_->Empty()) return;
  picture_->ReadPictureSize();
  SetBounds(Left(), Top(), picture_->Width(), picture_->Height() + reflectionSize_);
}

void TReflectionImage::PaintPicture(platform::Surface& surface) {
  if (picture_->Empty()) return;
  picture_->ReadPictureSize();
  const int width = picture_->Width();
  const int height = picture_->Height();
  if (reflection_) {
    platform::DrawImage(surface, *reflection_, 0, height + reflectionAxis_, width, height);
  }
  picture_->DrawPictureTo(surface, 0, 0, width, height);
}

void TReflectionImage::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "AutoSize") {
    SetAutoSize(PropertyAsBool(value));
  } else if (name == "Picture.Data") {
    picture_->ReadData(PropertyAsBytes(value));
  } else if (name == "ReflectionOpacityStart") {
    SetReflectionOpacityStart(PropertyAsIntClamped(value));
  } else if (name == "ReflectionOpacityEnd") {
    SetReflectionOpacityEnd(PropertyAsIntClamped(value));
  } else if (name == "ReflectionSize") {
    SetReflectionSize(PropertyAsIntClamped(value));
  } else if (name == "ReflectionAxis") {
    SetReflectionAxis(PropertyAsIntClamped(value));
  } else if (name == "Version") {
    PropertyAsText(value);  // read-only: a stored value is ignored
  } else if (name == "OnMouseEnter") {
    SetOnMouseEnter(PropertyAsHandler(value));
  } else if (name == "OnMouseLeave") {
    SetOnMouseLeave(PropertyAsHandler(value));
  } else {
    TGraphicControl::SetProperty(name, value);
  }
}

void TReflectionImage::Loaded() {
  TGraphicControl::Loaded();
  BuildReflection();
}

}  // namespace orvex
