// The PEM decoder and the base64 decoder on arbitrary text: no fault, and what comes out stays
// within the caps.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/pem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the label asked for; the rest is the text.
  static const std::string_view kLabels[] = {"PUBLIC KEY", "CERTIFICATE", "", "EC PRIVATE KEY"};
  if (size == 0) return 0;
  const std::string_view label = kLabels[data[0] % 4];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  const auto blocks = orvex::DecodePemBlocks(text, label);
  if (blocks.size() > orvex::kMaxPemBlocks) __builtin_trap();
  for (const auto& block : blocks) {
    if (block.size() > orvex::kMaxPemBlockBytes) __builtin_trap();
  }
  std::vector<std::uint8_t> out;
  const bool ok = orvex::DecodeBase64(text, out);
  // Four characters make at most three bytes.
  if (ok && out.size() > text.size() / 4 * 3) __builtin_trap();
  return 0;
}
