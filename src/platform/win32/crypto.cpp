#include "platform/crypto.h"

// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <cstring>
#include <memory>

namespace orvex::platform {

namespace {

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

class Algorithm {
 public:
  explicit Algorithm(LPCWSTR name) {
    if (!Succeeded(BCryptOpenAlgorithmProvider(&handle_, name, nullptr, 0))) handle_ = nullptr;
  }
  ~Algorithm() {
    if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
  BCRYPT_ALG_HANDLE Get() const { return handle_; }
  BCRYPT_ALG_HANDLE Release() {
    BCRYPT_ALG_HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

struct Sha256Context {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha256Context* BeginSha256() {
  Algorithm algorithm(BCRYPT_SHA256_ALGORITHM);
  if (!algorithm.Get()) return nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  // The hash object's memory is left to the system (Windows 7 and later).
  if (!Succeeded(BCryptCreateHash(algorithm.Get(), &hash, nullptr, 0, nullptr, 0, 0))) {
    return nullptr;
  }
  auto* context = new Sha256Context;
  context->algorithm = algorithm.Release();
  context->hash = hash;
  return context;
}

bool UpdateSha256(Sha256Context* context, const void* data, std::size_t count) {
  if (!context) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  // BCryptHashData takes a 32-bit count.
  while (count > 0) {
    const ULONG part = count > 0x40000000u ? 0x40000000u : static_cast<ULONG>(count);
    if (!Succeeded(BCryptHashData(context->hash, const_cast<PUCHAR>(bytes), part, 0))) {
      return false;
    }
    bytes += part;
    count -= part;
  }
  return true;
}

bool FinishSha256(Sha256Context* context, std::uint8_t* digest) {
  return context && Succeeded(BCryptFinishHash(context->hash, digest, kSha256Size, 0));
}

void FreeSha256(Sha256Context* context) {
  if (!context) return;
  if (context->hash) BCryptDestroyHash(context->hash);
  if (context->algorithm) BCryptCloseAlgorithmProvider(context->algorithm, 0);
  delete context;
}

SignatureCheck VerifyP256(const std::uint8_t* x, const std::uint8_t* y, const std::uint8_t* digest,
                          const std::uint8_t* r, const std::uint8_t* s) {
  Algorithm algorithm(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!algorithm.Get()) return SignatureCheck::kBadKey;
  // BCRYPT_ECCPUBLIC_BLOB: the header, then X and Y, 32 bytes each.
  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 2 * kP256CoordinateSize];
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kP256CoordinateSize};
  std::memcpy(blob, &header, sizeof header);
  std::memcpy(blob + sizeof header, x, kP256CoordinateSize);
  std::memcpy(blob + sizeof header + kP256CoordinateSize, y, kP256CoordinateSize);
  BCRYPT_KEY_HANDLE key = nullptr;
  if (!Succeeded(BCryptImportKeyPair(algorithm.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob,
                                     sizeof blob, 0))) {
    return SignatureCheck::kBadKey;
  }
  unsigned char signature[2 * kP256CoordinateSize];
  std::memcpy(signature, r, kP256CoordinateSize);
  std::memcpy(signature + kP256CoordinateSize, s, kP256CoordinateSize);
  const NTSTATUS status = BCryptVerifySignature(key, nullptr, const_cast<PUCHAR>(digest),
                                                kSha256Size, signature, sizeof signature, 0);
  BCryptDestroyKey(key);
  // STATUS_INVALID_SIGNATURE (0xC000A000) for a mismatch; any other failure refuses it too.
  return Succeeded(status) ? SignatureCheck::kValid : SignatureCheck::kInvalid;
}

}  // namespace orvex::platform
