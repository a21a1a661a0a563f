#include "ui/graphic_control.h"

#include <algorithm>
#include <limits>

namespace orvex {

int PropertyAsIntClamped(const PropertyValue& value) {
  return static_cast<int>(std::clamp<std::int64_t>(
      PropertyAsInt(value), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width < 0 ? 0 : width;
  height_ = height < 0 ? 0 : height;
  Invalidate();
}

void TGraphicControl::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Left") {
    SetBounds(PropertyAsIntClamped(value), top_, width_, height_);
  } else if (name == "Top") {
    SetBounds(left_, PropertyAsIntClamped(value), width_, height_);
  } else if (name == "Width") {
    SetBounds(left_, top_, PropertyAsIntClamped(value), height_);
  } else if (name == "Height") {
    SetBounds(left_, top_, width_, PropertyAsIntClamped(value));
  } else {
    TComponent::SetProperty(name, value);
  }
}

void PaintGraphicControls(const TComponent& owner, platform::Surface& surface) {
  for (TComponent* component : owner.Components()) {
    auto* control = dynamic_cast<TGraphicControl*>(component);
    if (!control) continue;
    platform::PushClip(surface, control->Left(), control->Top(), control->Width(),
                       control->Height());
    try {
      control->Paint(surface);
    } catch (...) {
      platform::PopClip(surface);
      throw;
    }
    platform::PopClip(surface);
  }
}

}  // namespace orvex
