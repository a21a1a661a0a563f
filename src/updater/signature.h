#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/der.h"

namespace orvex {

// "version.txt.sig" is a DER ECDSA signature of about 72 bytes: more is not a signature.
constexpr std::size_t kMaxSignatureSize = 1024;
// A PEM public key file is a few hundred bytes; a bigger file is refused unread.
constexpr std::size_t kMaxPublicKeyFileSize = 64 * 1024;

// The ECDSA P-256 public key of a PEM file ("PUBLIC KEY" block, as `openssl ec -pubout` writes
// it). Raises Exception "... is not a P-256 public key" (or the file's own read failure) for
// anything else, so a wrong key turns updating off rather than into trust in nothing.
P256PublicKey LoadP256PublicKey(const std::string& path);

// Raises Exception unless `der` is a DER ECDSA signature by `key` over the SHA-256 of `text`:
// "Signature of <what> is malformed", "Signature of <what> does not verify", or
// "The public key is not a P-256 public key" when the system refuses the key's point.
void VerifyP256Signature(const P256PublicKey& key, std::string_view text,
                         std::span<const std::uint8_t> der, const std::string& what);

}  // namespace orvex
