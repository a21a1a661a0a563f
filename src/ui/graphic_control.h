#pragma once

#include "platform/imaging.h"
#include "shell/component.h"

namespace orvex {

// A stored integer taken into int's range (a hostile description cannot wrap it around).
int PropertyAsIntClamped(const PropertyValue& value);

// A control without a window of its own: its owner form paints it on the form's surface, with
// the origin at the control's top-left corner and the drawing clipped to the control.
class TGraphicControl : public TComponent {
 public:
  explicit TGraphicControl(TComponent* owner) : TComponent(owner) {}

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);

  // Stored properties: "Left", "Top", "Width", "Height".
  void SetProperty(std::string_view name, const PropertyValue& value) override;

  // Draws the control; the surface's origin is the control's top-left corner.
  virtual void Paint(platform::Surface& surface) = 0;
  // A repaint request. The one form that holds these controls paints exactly once, so nothing
  // is queued; the hook stays for forms that repaint.
  virtual void Invalidate() {}

 private:
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
};

// Paints the graphic controls that `owner` owns, in their order, each clipped to its rectangle.
void PaintGraphicControls(const TComponent& owner, platform::Surface& surface);

}  // namespace orvex
