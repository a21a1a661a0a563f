#pragma once

#include <memory>
#include <string>

#include "platform/imaging.h"
#include "ui/encoded_picture.h"
#include "ui/graphic_control.h"

namespace orvex {

// Builds the faded mirror image of `picture`: row y holds the picture's row h - 1 - y with its
// colour unchanged and its alpha scaled by the row's opacity factor (straight alpha); fully
// transparent pixels stay transparent. Null when the bitmap cannot be made.
platform::ImagePtr BuildReflectionImage(const platform::Image& picture, int size, int start,
                                        int end);

// A windowless picture control: the picture at its own pixel size in the top-left corner and,
// ReflectionAxis pixels below it, a mirror image that fades out downwards. The picture stays
// encoded; only the reflection is kept decoded, built at load completion and on changes.
class TReflectionImage : public TGraphicControl {
 public:
  explicit TReflectionImage(TComponent* owner);
  ~TReflectionImage() override;

  TEncodedPicture& Picture() { return *picture_; }
  void SetPicture(const TEncodedPicture& picture);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  int ReflectionOpacityStart() const { return opacityStart_; }
  void SetReflectionOpacityStart(int value);
  int ReflectionOpacityEnd() const { return opacityEnd_; }
  void SetReflectionOpacityEnd(int value);
  int ReflectionSize() const { return reflectionSize_; }
  void SetReflectionSize(int value);
  int ReflectionAxis() const { return reflectionAxis_; }
  void SetReflectionAxis(int value);
  static std::string Version() { return "1.5.0.2"; }
  const platform::Image* ReflectionBitmap() const { return reflection_.get(); }

  void SetOnMouseEnter(TNotifyEvent handler) { onMouseEnter_ = std::move(handler); }
  void SetOnMouseLeave(TNotifyEvent handler) { onMouseLeave_ = std::move(handler); }
  void MouseEnter();
  void MouseLeave();

  void BuildReflection();
  void ApplyAutoSize();
  void PaintPicture(platform::Surface& surface);

  // Stored properties: those of the bounds, "AutoSize", "Picture.Data" (the encoded file),
  // the four reflection settings, "Version" (ignored), "OnMouseEnter", "OnMouseLeave".
  void SetProperty(std::string_view name, const PropertyValue& value) override;
  void Loaded() override;
  void Paint(platform::Surface& surface) override { PaintPicture(surface); }

 private:
  void PictureChanged();

  std::unique_ptr<TEncodedPicture> picture_;
  bool autoSize_ = false;
  int opacityStart_ = 255;
  int opacityEnd_ = 0;
  int reflectionSize_ = 100;
  int reflectionAxis_ = 1;
  TNotifyEvent onMouseEnter_;
  TNotifyEvent onMouseLeave_;
  platform::ImagePtr reflection_;
};

}  // namespace orvex
