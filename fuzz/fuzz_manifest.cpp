// The manifest reader on arbitrary text: it accepts or raises Exception, and what it accepts
// keeps its promises (the version by the old rule, a digest of 64 lowercase hex digits).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/exception.h"
#include "updater/manifest.h"
#include "updater/version_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvex::Manifest manifest;
  try {
    manifest = orvex::ParseManifest(text);
  } catch (const orvex::Exception&) {
    return 0;
  }
  if (manifest.version != orvex::ParseVersionText(text)) __builtin_trap();
  if (manifest.size < -1) __builtin_trap();
  if (!manifest.sha256.empty()) {
    if (manifest.sha256.size() != 64) __builtin_trap();
    for (char c : manifest.sha256) {
      if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) __builtin_trap();
    }
  }
  return 0;
}
