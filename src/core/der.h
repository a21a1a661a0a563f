#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace orvex {

// Readers for the two DER structures a signed update uses. Strict DER only: definite minimal
// lengths, nothing after the outer structure, every length checked against what is left, so a
// hostile file can neither read past its end nor pass in a second encoding.

// An ECDSA P-256 public key: the point's affine coordinates, big-endian.
struct P256PublicKey {
  std::array<std::uint8_t, 32> x{};
  std::array<std::uint8_t, 32> y{};
};

// A SubjectPublicKeyInfo naming id-ecPublicKey on the curve prime256v1 with an uncompressed
// point 04 || X || Y (what `openssl ec -pubout` writes). Anything else (another curve or key
// kind, a compressed point, explicit curve parameters, a damaged encoding) gives nothing.
std::optional<P256PublicKey> ReadP256PublicKey(std::span<const std::uint8_t> der);

// An ECDSA signature as two 32-byte big-endian numbers.
struct EcdsaP256Signature {
  std::array<std::uint8_t, 32> r{};
  std::array<std::uint8_t, 32> s{};
};

// An ECDSA-Sig-Value SEQUENCE { INTEGER r, INTEGER s } (what `openssl dgst -sign` writes with an
// EC key). Each number must be a minimal, non-negative INTEGER of at most 32 bytes after its
// sign byte; it is left-padded to 32 bytes. Anything else gives nothing.
std::optional<EcdsaP256Signature> ReadEcdsaP256Signature(std::span<const std::uint8_t> der);

}  // namespace orvex
