#include "ui/form_shaper.h"

#include "platform/window.h"
#include "shell/form.h"

namespace orvex {

namespace {

// The stored mask: its byte count (32-bit little endian), then the bitmap file.
TBitmap ReadStoredMask(const Bytes& stored) {
  if (stored.size() < 4) return {};
  const std::uint32_t count =
      static_cast<std::uint32_t>(stored[0]) | static_cast<std::uint32_t>(stored[1]) << 8 |
      static_cast<std::uint32_t>(stored[2]) << 16 | static_cast<std::uint32_t>(stored[3]) << 24;
  if (count > stored.size() - 4) return {};
  return TBitmap::FromBmpFile(std::span<const std::uint8_t>(stored).subspan(4, count));
}

}  // namespace

TFormShaper::TFormShaper(TComponent* owner) : TComponent(owner) {
  // The topmost control above the owner; the components here hang directly off their form.
  for (TComponent* at = owner; at && !shapedWindow_; at = at->Owner()) {
    shapedWindow_ = dynamic_cast<TForm*>(at);
  }
}

TFormShaper::~TFormShaper() {
  if (shapedWindow_ && !shapedWindow_->Destroying() && shapedWindow_->HandleAllocated()) {
    platform::SetWindowCaption(shapedWindow_->Handle(), true);
    RemoveRegion();
  }
}

void TFormShaper::SetMask(const TBitmap& mask) {
  if (&mask != &mask_) mask_ = mask;
  if (Loading() || !shapedWindow_) return;
  if (active_) {
    ApplyMaskRegion();
  } else {
    RemoveRegion();
  }
}

void TFormShaper::SetActive(bool value) {
  active_ = value;
  if (Loading() || !shapedWindow_) return;
  platform::SetWindowCaption(shapedWindow_->Handle(), !active_);
  if (active_) {
    ApplyMaskRegion();
  } else {
    RemoveRegion();
  }
}

void TFormShaper::SetAutoSize(bool value) {
  autoSize_ = value;
  if (autoSize_ && active_ && !Loading()) SizeWindowToMask();
}

void TFormShaper::ApplyMaskRegion() {
  if (!shapedWindow_) return;
  std::optional<TRegion> region;
  if (!mask_.Empty()) region = BuildMaskRegion(mask_, mask_.Pixel(0, 0), TMaskMode::Exclude);
  // A refused shape leaves the window as it was; nothing is reported.
  platform::SetWindowShape(shapedWindow_->Handle(), region ? &*region : nullptr);
  if (autoSize_) SizeWindowToMask();
}

void TFormShaper::RemoveRegion() {
  if (shapedWindow_) platform::SetWindowShape(shapedWindow_->Handle(), nullptr);
}

void TFormShaper::SizeWindowToMask() {
  // An empty (or unreadable) mask would size the window away to nothing; it keeps its size.
  if (!shapedWindow_ || mask_.Empty()) return;
  platform::Window* window = shapedWindow_->Handle();
  const platform::WindowBounds bounds = platform::GetWindowBounds(window);
  platform::SetWindowBounds(window, bounds.left, bounds.top, mask_.Width(), mask_.Height());
}

void TFormShaper::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Active") {
    SetActive(PropertyAsBool(value));
  } else if (name == "AutoSize") {
    SetAutoSize(PropertyAsBool(value));
  } else if (name == "Mask.Data") {
    SetMask(ReadStoredMask(PropertyAsBytes(value)));
  } else {
    TComponent::SetProperty(name, value);
  }
}

void TFormShaper::Loaded() {
  TComponent::Loaded();
  SetMask(mask_);
  SetActive(active_);
  SetAutoSize(autoSize_);
}

}  // namespace orvex
