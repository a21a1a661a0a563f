#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvex {

// The DER bytes of every "-----BEGIN <label>-----" ... "-----END <label>-----" block of PEM text
// whose label is `label`, in the order they stand. Blocks of other labels are skipped; text
// around blocks (comments, as `openssl x509 -text` writes) is ignored. A block whose body is not
// clean base64 or that has no end line is skipped too, so the result holds only whole blocks.
// Caps: at most kMaxPemBlocks blocks and kMaxPemBlockBytes bytes of DER each.
inline constexpr std::size_t kMaxPemBlocks = 256;
inline constexpr std::size_t kMaxPemBlockBytes = 64 * 1024;
std::vector<std::vector<std::uint8_t>> DecodePemBlocks(std::string_view text,
                                                       std::string_view label);

// Standard base64 (with padding; blanks and line ends between groups are skipped). False for
// anything else: a stray character, bad padding or bits left over.
bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& out);

}  // namespace orvex
