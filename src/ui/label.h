#pragma once

#include <string>

#include "ui/graphic_control.h"

namespace orvex {

enum class TAlignment { LeftJustify, RightJustify, Center };

struct TFont {
  std::string name = "Tahoma";
  int height = -11;  // negative: character height in pixels without internal leading
  bool bold = false;
  std::uint32_t color = 0x000000;  // 0xRRGGBB
};

// A line of text drawn on its owner's surface. Only the single-line, top-aligned layout the
// wait window uses is drawn; the other settings are kept as stored.
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 65, 17); }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  TAlignment Alignment() const { return alignment_; }
  const TFont& Font() const { return font_; }
  TFont& Font() { return font_; }
  std::uint32_t Color() const { return color_; }
  void SetColor(std::uint32_t rgb) { color_ = rgb; }
  // Opaque labels fill their rectangle with Color before the text.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value) { transparent_ = value; }

  // Stored properties: the bounds, "Caption", "Alignment" ("taLeftJustify", "taRightJustify",
  // "taCenter"), "AutoSize", "Color", "Transparent", "Layout", "WordWrap", "ParentColor",
  // "ParentFont", "Font.Name", "Font.Height", "Font.Style" ("[fsBold]"), "Font.Color",
  // "Font.Charset".
  void SetProperty(std::string_view name, const PropertyValue& value) override;
  void Paint(platform::Surface& surface) override;

 private:
  std::string caption_;
  TAlignment alignment_ = TAlignment::LeftJustify;
  TFont font_;
  std::uint32_t color_ = 0xF0F0F0;
  bool transparent_ = false;
};

}  // namespace orvex
