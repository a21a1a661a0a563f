#include <cstdint>
#include <vector>

#include "assets/embedded.h"
#include "shell/form_description.h"
#include "updater/wait_form.h"

namespace orvex {

namespace {

// The mask is stored as its byte count (32-bit little endian) followed by the bitmap file.
Bytes CountedBytes(std::span<const std::uint8_t> file) {
  Bytes stored;
  stored.reserve(file.size() + 4);
  const auto count = static_cast<std::uint32_t>(file.size());
  for (int shift = 0; shift < 32; shift += 8) stored.push_back(std::uint8_t(count >> shift));
  stored.insert(stored.end(), file.begin(), file.end());
  return stored;
}

}  // namespace

void RegisterWaitFormResources() {
  using I = std::int64_t;
  FormDescription form;
  // Colours are 0xRRGGBB.
  form.properties = {
      {"Left", I{0}},
      {"Top", I{0}},
      {"BorderStyle", std::string("bsNone")},
      {"Caption", std::string("Iniciando aplica\xC3\xA7\xC3\xA3o")},
      {"ClientHeight", I{108}},
      {"ClientWidth", I{279}},
      {"Color", I{0xF8F8F8}},
      {"Font.Charset", I{1}},
      {"Font.Height", I{-11}},
      {"Font.Name", std::string("Tahoma")},
      {"AlphaBlend", true},
      {"AlphaBlendValue", I{190}},
      {"Position", std::string("poScreenCenter")},
      {"PixelsPerInch", I{96}},
  };
  form.components = {
      {"TReflectionImage",
       "ReflectionImage2",
       {{"Left", I{-7}},
        {"Top", I{-7}},
        {"Width", I{294}},
        {"Height", I{123}},
        {"AutoSize", false},
        {"Picture.Data", Bytes(assets::wait_frame_png.begin(), assets::wait_frame_png.end())},
        {"ReflectionOpacityStart", I{255}},
        {"ReflectionOpacityEnd", I{0}},
        {"ReflectionSize", I{100}},
        {"ReflectionAxis", I{1}},
        {"Version", std::string("1.5.0.2")}}},
      {"TLabel",
       "LbAguarde",
       {{"Left", I{36}},
        {"Top", I{40}},
        {"Width", I{207}},
        {"Height", I{33}},
        {"Alignment", std::string("taCenter")},
        {"AutoSize", false},
        {"Caption", std::string("Atualizando...")},
        {"Color", I{0xF8F8F8}},
        {"Font.Charset", I{1}},
        {"Font.Color", I{0x000080}},
        {"Font.Height", I{-21}},
        {"Font.Name", std::string("Tahoma")},
        {"Font.Style", std::string("[fsBold]")},
        {"ParentColor", true},
        {"ParentFont", false},
        {"Layout", std::string("tlTop")},
        {"WordWrap", false}}},
      {"TFormShaper",
       "FormShaper1",
       {{"Active", true}, {"AutoSize", true}, {"Mask.Data", CountedBytes(assets::wait_mask_bmp)}}},
  };
  RegisterFormDescription("TFormWait", std::move(form));
}

}  // namespace orvex
