#pragma once

#include <cstdint>
#include <string>

#include "platform/window.h"
#include "shell/form.h"
#include "shell/forms.h"

namespace orvex {

class TReflectionImage;
class TLabel;
class TFormShaper;

// The "Atualizando..." window shown while an update downloads: frameless, without a taskbar
// entry, cut to a rounded shape, drawn at opacity 190/255, painted once and kept on screen by
// the system while the thread is blocked. Built from the description registered as "TFormWait".
class TFormWait : public TForm {
 public:
  explicit TFormWait(TComponent* owner);
  ~TFormWait() override;

  TReflectionImage* ReflectionImage2 = nullptr;
  TLabel* LbAguarde = nullptr;
  TFormShaper* FormShaper1 = nullptr;

  // Centres the window on the primary screen (kept on the virtual desktop), shows, activates
  // and raises it.
  void Show();
  // Paints the window's image: the background, then the controls in description order, then
  // the download bar once a size is known.
  void PaintWindow(platform::Surface& surface);
  // Sets the bar to `done` of `total` bytes and repaints the window at once, letting its
  // pending paint work run (the caller limits how often). Without a known total (<= 0) the
  // window shows no bar, as before any progress.
  void ShowProgress(std::int64_t done, std::int64_t total);

  // Stored form properties: "BorderStyle", "Caption", "ClientWidth", "ClientHeight", "Color",
  // "AlphaBlend", "AlphaBlendValue", "Position", "Left", "Top", "PixelsPerInch", "Font.*".
  void SetProperty(std::string_view name, const PropertyValue& value) override;

  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  std::uint32_t Color() const { return color_; }
  std::uint8_t Opacity() const { return alphaBlend_ ? alphaBlendValue_ : 255; }

 protected:
  platform::Window* CreateWindowHandle() override;
  void DestroyWindowHandle(platform::Window* window) override;

 private:
  std::string caption_;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  int left_ = 0;
  int top_ = 0;
  std::uint32_t color_ = 0xF0F0F0;
  bool alphaBlend_ = false;
  std::uint8_t alphaBlendValue_ = 255;
  bool screenCenter_ = false;
  std::int64_t progressDone_ = 0;
  std::int64_t progressTotal_ = -1;  // no bar until a size is known
};

// Centred position of a width x height window: the primary monitor's corner plus
// (monitor - size) / 2 truncated towards zero, then moved onto the virtual desktop when it would
// start left of or above it.
struct WaitWindowPosition {
  int left;
  int top;
};
WaitWindowPosition CentredPosition(const platform::ScreenMetrics& screen, int width, int height);

// Registers the "TFormWait" description (frame picture and mask embedded in the program).
void RegisterWaitFormResources();

}  // namespace orvex
