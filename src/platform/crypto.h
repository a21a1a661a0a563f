#pragma once

#include <cstddef>
#include <cstdint>

// SHA-256 and ECDSA P-256 verification from the system's own cryptography (OpenSSL's libcrypto
// on Linux, BCrypt on Windows). Thin: results are reported by return value; the callers above
// raise.
namespace orvex::platform {

inline constexpr std::size_t kSha256Size = 32;
inline constexpr std::size_t kP256CoordinateSize = 32;

// An incremental SHA-256. Begin returns null when the system cannot provide one; Update and
// Finish return false on failure. Finish writes kSha256Size bytes; the context is released by
// FreeSha256 in every case (also after Finish).
struct Sha256Context;
Sha256Context* BeginSha256();
bool UpdateSha256(Sha256Context* context, const void* data, std::size_t count);
bool FinishSha256(Sha256Context* context, std::uint8_t* digest);
void FreeSha256(Sha256Context* context);

enum class SignatureCheck {
  kValid,
  kInvalid,  // a well-formed key and a signature that does not match the digest
  kBadKey,   // the point is not on the curve, or the system refused the key
};

// Verifies an ECDSA P-256 signature (r then s, 32 bytes each, big-endian) over a SHA-256 digest
// with the public key whose affine coordinates are x and y (32 bytes each, big-endian).
SignatureCheck VerifyP256(const std::uint8_t* x, const std::uint8_t* y, const std::uint8_t* digest,
                          const std::uint8_t* r, const std::uint8_t* s);

}  // namespace orvex::platform
