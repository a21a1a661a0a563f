#include "updater/wait_form.h"

#include <algorithm>

#include "core/exception.h"
#include "platform/imaging.h"
#include "shell/application.h"
#include "ui/form_shaper.h"
#include "ui/graphic_control.h"
#include "ui/label.h"
#include "ui/progress_bar.h"
#include "ui/reflection_image.h"

namespace orvex {

TFormWait::TFormWait(TComponent* owner) : TForm(owner) {
  LoadDescription("TFormWait");
  ReflectionImage2 = dynamic_cast<TReflectionImage*>(FindComponent("ReflectionImage2"));
  LbAguarde = dynamic_cast<TLabel*>(FindComponent("LbAguarde"));
  FormShaper1 = dynamic_cast<TFormShaper*>(FindComponent("FormShaper1"));
}

TFormWait::~TFormWait() {
  // The base destructor cannot reach the override that made the window.
  DestroyHandle();
}

platform::Window* TFormWait::CreateWindowHandle() {
  platform::PaintedWindowOptions options;
  TForm* mainForm = Application ? Application->MainForm() : nullptr;
  // Owned by the hidden main form's window: no taskbar button.
  if (mainForm && mainForm != this) options.owner = mainForm->Handle();
  options.width = clientWidth_;
  options.height = clientHeight_;
  options.title = caption_;
  options.opacity = Opacity();
  options.background = color_;
  options.onPaint = [this](platform::Surface& surface) { PaintWindow(surface); };
  platform::Window* window = platform::CreatePaintedWindow(options);
  platform::SetWindowBounds(window, left_, top_, clientWidth_, clientHeight_);
  return window;
}

void TFormWait::DestroyWindowHandle(platform::Window* window) {
  platform::DestroyPaintedWindow(window);
}

WaitWindowPosition CentredPosition(const platform::ScreenMetrics& screen, int width, int height) {
  // Integer division truncates towards zero, also for a screen smaller than the window.
  int left = screen.left + (screen.width - width) / 2;
  int top = screen.top + (screen.height - height) / 2;
  left = std::max(left, screen.virtualLeft);
  top = std::max(top, screen.virtualTop);
  return {left, top};
}

void TFormWait::Show() {
  platform::Window* window = Handle();
  const platform::WindowBounds bounds = platform::GetWindowBounds(window);
  if (screenCenter_) {
    const WaitWindowPosition at =
        CentredPosition(platform::PrimaryScreenMetrics(), bounds.width, bounds.height);
    platform::SetWindowBounds(window, at.left, at.top, bounds.width, bounds.height);
  }
  platform::ShowPaintedWindow(window);
  TForm::Show();
}

void TFormWait::PaintWindow(platform::Surface& surface) {
  const platform::WindowBounds bounds = platform::GetWindowBounds(Handle());
  platform::FillRectangle(surface, {0, 0, bounds.width, bounds.height}, color_);
  PaintGraphicControls(*this, surface);
  if (progressTotal_ > 0)
    PaintProgressBar(surface, kProgressBarRect, progressDone_, progressTotal_);
}

void TFormWait::ShowProgress(std::int64_t done, std::int64_t total) {
  const int width = kProgressBarRect.right - kProgressBarRect.left;
  // A repaint costs a millisecond or two: none when the bar would look the same.
  if (total == progressTotal_ && ProgressFillWidth(done, total, width) ==
                                     ProgressFillWidth(progressDone_, progressTotal_, width)) {
    return;
  }
  progressDone_ = done;
  progressTotal_ = total;
  if (HandleAllocated()) platform::RepaintPaintedWindow(Handle());
}

void TFormWait::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Caption") {
    caption_ = PropertyAsText(value);
  } else if (name == "ClientWidth") {
    clientWidth_ = std::max(0, PropertyAsIntClamped(value));
  } else if (name == "ClientHeight") {
    clientHeight_ = std::max(0, PropertyAsIntClamped(value));
  } else if (name == "Left") {
    left_ = PropertyAsIntClamped(value);
  } else if (name == "Top") {
    top_ = PropertyAsIntClamped(value);
  } else if (name == "Color") {
    color_ = static_cast<std::uint32_t>(PropertyAsInt(value)) & 0xFFFFFF;
  } else if (name == "AlphaBlend") {
    alphaBlend_ = PropertyAsBool(value);
  } else if (name == "AlphaBlendValue") {
    alphaBlendValue_ = static_cast<std::uint8_t>(std::clamp(PropertyAsIntClamped(value), 0, 255));
  } else if (name == "Position") {
    screenCenter_ = PropertyAsText(value) == "poScreenCenter";
  } else if (name == "BorderStyle") {
    // Only the frameless pop-up is made.
    if (PropertyAsText(value) != "bsNone") throw EReadError("Invalid property value");
  } else if (name == "PixelsPerInch" || name == "Font.Height" || name == "Font.Charset") {
    PropertyAsInt(value);
  } else if (name == "Font.Name") {
    PropertyAsText(value);
  } else {
    TForm::SetProperty(name, value);
  }
}

}  // namespace orvex
