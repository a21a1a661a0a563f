#pragma once

#include "shell/component.h"
#include "ui/bitmap.h"
#include "ui/mask_region.h"

namespace orvex {

class TForm;

// Gives the form it belongs to the shape of a mask bitmap: every pixel whose colour differs
// from the top-left pixel's belongs to the window; the others are cut away from drawing and
// input. Every step that touches the window creates it (hidden) when it does not exist yet.
class TFormShaper : public TComponent {
 public:
  explicit TFormShaper(TComponent* owner);
  ~TFormShaper() override;

  TForm* ShapedWindow() const { return shapedWindow_; }
  const TBitmap& Mask() const { return mask_; }
  void SetMask(const TBitmap& mask);
  bool Active() const { return active_; }
  void SetActive(bool value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);

  void ApplyMaskRegion();

  // Stored properties: "Active", "AutoSize", "Mask.Data" (a 32-bit little-endian byte count,
  // then a bitmap file of that size; a malformed one reads as an empty mask).
  void SetProperty(std::string_view name, const PropertyValue& value) override;
  void Loaded() override;

 private:
  void RemoveRegion();
  void SizeWindowToMask();

  TForm* shapedWindow_ = nullptr;
  TBitmap mask_;
  bool autoSize_ = false;
  bool active_ = false;
};

}  // namespace orvex
