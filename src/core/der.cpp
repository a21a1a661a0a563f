#include "core/der.h"

#include <algorithm>
#include <cstddef>

namespace orvex {

namespace {

constexpr std::uint8_t kInteger = 0x02;
constexpr std::uint8_t kBitString = 0x03;
constexpr std::uint8_t kObjectId = 0x06;
constexpr std::uint8_t kSequence = 0x30;

// id-ecPublicKey (1.2.840.10045.2.1) and prime256v1 (1.2.840.10045.3.1.7), content bytes.
constexpr std::uint8_t kEcPublicKeyOid[] = {0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x02, 0x01};
constexpr std::uint8_t kPrime256v1Oid[] = {0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07};

using Bytes = std::span<const std::uint8_t>;

// Reads one element of the expected tag from the front of `input`; its content goes to
// `content` and `input` moves past it. False for another tag, an indefinite, non-minimal or
// overlong length, or content running past the end.
bool ReadElement(Bytes& input, std::uint8_t tag, Bytes& content) {
  if (input.size() < 2 || input[0] != tag) return false;
  std::size_t length = input[1];
  std::size_t header = 2;
  if (length & 0x80) {
    const std::size_t count = length & 0x7F;
    // 0x80 is the indefinite form (not DER); no structure read here needs more than 2 bytes.
    if (count == 0 || count > 2 || input.size() < 2 + count) return false;
    if (input[2] == 0) return false;  // a leading zero byte: not minimal
    length = 0;
    for (std::size_t i = 0; i < count; ++i) length = (length << 8) | input[2 + i];
    if (length < 0x80) return false;  // fits the short form: not minimal
    header += count;
  }
  if (length > input.size() - header) return false;
  content = input.subspan(header, length);
  input = input.subspan(header + length);
  return true;
}

bool Equal(Bytes a, Bytes b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// A non-negative minimal INTEGER of at most 32 value bytes, left-padded into `out`.
bool ReadUnsigned32(Bytes& input, std::array<std::uint8_t, 32>& out) {
  Bytes value;
  if (!ReadElement(input, kInteger, value) || value.empty()) return false;
  if (value[0] & 0x80) return false;  // negative
  if (value.size() > 1 && value[0] == 0x00) {
    if (!(value[1] & 0x80)) return false;  // a zero byte that no sign bit needs: not minimal
    value = value.subspan(1);
  }
  if (value.size() > out.size()) return false;
  out.fill(0);
  std::copy(value.begin(), value.end(), out.end() - static_cast<std::ptrdiff_t>(value.size()));
  return true;
}

}  // namespace

std::optional<P256PublicKey> ReadP256PublicKey(std::span<const std::uint8_t> der) {
  Bytes input = der;
  Bytes info, algorithm, keyKind, curve, bits;
  if (!ReadElement(input, kSequence, info) || !input.empty()) return std::nullopt;
  if (!ReadElement(info, kSequence, algorithm) || !ReadElement(info, kBitString, bits) ||
      !info.empty()) {
    return std::nullopt;
  }
  if (!ReadElement(algorithm, kObjectId, keyKind) || !Equal(keyKind, kEcPublicKeyOid)) {
    return std::nullopt;
  }
  // The curve by name only: explicit parameters would let a file pick its own curve.
  if (!ReadElement(algorithm, kObjectId, curve) || !Equal(curve, kPrime256v1Oid) ||
      !algorithm.empty()) {
    return std::nullopt;
  }
  // No unused bits, then the uncompressed point 04 || X || Y.
  if (bits.size() != 2 + 64 || bits[0] != 0x00 || bits[1] != 0x04) return std::nullopt;
  P256PublicKey key;
  std::copy(bits.begin() + 2, bits.begin() + 34, key.x.begin());
  std::copy(bits.begin() + 34, bits.end(), key.y.begin());
  return key;
}

std::optional<EcdsaP256Signature> ReadEcdsaP256Signature(std::span<const std::uint8_t> der) {
  Bytes input = der;
  Bytes numbers;
  if (!ReadElement(input, kSequence, numbers) || !input.empty()) return std::nullopt;
  EcdsaP256Signature signature;
  if (!ReadUnsigned32(numbers, signature.r) || !ReadUnsigned32(numbers, signature.s) ||
      !numbers.empty()) {
    return std::nullopt;
  }
  return signature;
}

}  // namespace orvex
