#include "ui/label.h"

#include <cstdlib>

#include "core/exception.h"

namespace orvex {

void TLabel::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Caption") {
    SetCaption(PropertyAsText(value));
  } else if (name == "Alignment") {
    const std::string& text = PropertyAsText(value);
    if (text == "taLeftJustify") {
      alignment_ = TAlignment::LeftJustify;
    } else if (text == "taRightJustify") {
      alignment_ = TAlignment::RightJustify;
    } else if (text == "taCenter") {
      alignment_ = TAlignment::Center;
    } else {
      throw EReadError("Invalid property value");
    }
  } else if (name == "AutoSize" || name == "WordWrap" || name == "ParentColor" ||
             name == "ParentFont") {
    PropertyAsBool(value);
  } else if (name == "Transparent") {
    SetTransparent(PropertyAsBool(value));
  } else if (name == "Layout") {
    PropertyAsText(value);
  } else if (name == "Color") {
    SetColor(static_cast<std::uint32_t>(PropertyAsInt(value)) & 0xFFFFFF);
  } else if (name == "Font.Name") {
    font_.name = PropertyAsText(value);
  } else if (name == "Font.Height") {
    font_.height = PropertyAsIntClamped(value);
  } else if (name == "Font.Style") {
    font_.bold = PropertyAsText(value).find("fsBold") != std::string::npos;
  } else if (name == "Font.Color") {
    font_.color = static_cast<std::uint32_t>(PropertyAsInt(value)) & 0xFFFFFF;
  } else if (name == "Font.Charset") {
    PropertyAsInt(value);
  } else {
    TGraphicControl::SetProperty(name, value);
  }
}

void TLabel::Paint(platform::Surface& surface) {
  const platform::RegionRect rect{0, 0, Width(), Height()};
  if (!transparent_) platform::FillRectangle(surface, rect, color_);
  platform::FontSpec font{font_.name, std::abs(font_.height), font_.bold};
  // The one layout in use is centred; the others fall back to it rather than draw nothing.
  platform::DrawTextCentred(surface, rect, caption_, font, font_.color);
}

}  // namespace orvex
