// The DER readers for a P-256 public key and an ECDSA signature on arbitrary bytes. Strict DER
// has one encoding per value, so whatever is accepted must be exactly the canonical encoding of
// what was read.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/der.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Integer(const std::uint8_t* value, std::size_t size) {
  std::size_t at = 0;
  while (at + 1 < size && value[at] == 0) ++at;
  Bytes out(value + at, value + size);
  if (out[0] & 0x80) out.insert(out.begin(), 0x00);
  out.insert(out.begin(), {0x02, static_cast<std::uint8_t>(out.size())});
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  if (const auto key = orvex::ReadP256PublicKey(input)) {
    static const std::uint8_t kPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48,
                                           0xCE, 0x3D, 0x02, 0x01, 0x06, 0x08, 0x2A, 0x86, 0x48,
                                           0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
    Bytes canonical(kPrefix, kPrefix + sizeof kPrefix);
    canonical.insert(canonical.end(), key->x.begin(), key->x.end());
    canonical.insert(canonical.end(), key->y.begin(), key->y.end());
    if (canonical != Bytes(data, data + size)) __builtin_trap();
  }
  if (const auto signature = orvex::ReadEcdsaP256Signature(input)) {
    Bytes inner = Integer(signature->r.data(), 32);
    const Bytes s = Integer(signature->s.data(), 32);
    inner.insert(inner.end(), s.begin(), s.end());
    inner.insert(inner.begin(), {0x30, static_cast<std::uint8_t>(inner.size())});
    if (inner != Bytes(data, data + size)) __builtin_trap();
  }
  return 0;
}
