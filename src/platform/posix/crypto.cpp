#include "platform/crypto.h"

#include <openssl/core_names.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <memory>

namespace orvex::platform {

struct Sha256Context {
  EVP_MD_CTX* md = nullptr;
};

Sha256Context* BeginSha256() {
  auto context = std::make_unique<Sha256Context>();
  context->md = EVP_MD_CTX_new();
  if (!context->md) return nullptr;
  if (EVP_DigestInit_ex(context->md, EVP_sha256(), nullptr) != 1) {
    EVP_MD_CTX_free(context->md);
    return nullptr;
  }
  return context.release();
}

bool UpdateSha256(Sha256Context* context, const void* data, std::size_t count) {
  return context && EVP_DigestUpdate(context->md, data, count) == 1;
}

bool FinishSha256(Sha256Context* context, std::uint8_t* digest) {
  unsigned int size = 0;
  return context && EVP_DigestFinal_ex(context->md, digest, &size) == 1 && size == kSha256Size;
}

void FreeSha256(Sha256Context* context) {
  if (!context) return;
  EVP_MD_CTX_free(context->md);
  delete context;
}

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, Deleter<T, Free>>;

void FreeBignum(BIGNUM* n) {
  BN_free(n);
}

// The public key from its uncompressed point; null when OpenSSL refuses it (not on the curve).
Owned<EVP_PKEY, EVP_PKEY_free> ImportKey(const std::uint8_t* x, const std::uint8_t* y) {
  unsigned char point[1 + 2 * kP256CoordinateSize];
  point[0] = 0x04;
  for (std::size_t i = 0; i < kP256CoordinateSize; ++i) {
    point[1 + i] = x[i];
    point[1 + kP256CoordinateSize + i] = y[i];
  }
  Owned<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free> builder(OSSL_PARAM_BLD_new());
  if (!builder) return nullptr;
  char group[] = "prime256v1";
  if (OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, group, 0) != 1 ||
      OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point,
                                       sizeof point) != 1) {
    return nullptr;
  }
  Owned<OSSL_PARAM, OSSL_PARAM_free> params(OSSL_PARAM_BLD_to_param(builder.get()));
  Owned<EVP_PKEY_CTX, EVP_PKEY_CTX_free> context(
      EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1) return nullptr;
  EVP_PKEY* key = nullptr;
  if (EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
    return nullptr;
  }
  Owned<EVP_PKEY, EVP_PKEY_free> owned(key);
  // fromdata takes the point as given; the check makes sure it lies on the curve.
  Owned<EVP_PKEY_CTX, EVP_PKEY_CTX_free> check(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr));
  if (!check || EVP_PKEY_public_check(check.get()) != 1) return nullptr;
  return owned;
}

}  // namespace

SignatureCheck VerifyP256(const std::uint8_t* x, const std::uint8_t* y, const std::uint8_t* digest,
                          const std::uint8_t* r, const std::uint8_t* s) {
  Owned<EVP_PKEY, EVP_PKEY_free> key = ImportKey(x, y);
  if (!key) return SignatureCheck::kBadKey;
  // libcrypto verifies DER signatures: the two numbers are wrapped again.
  Owned<ECDSA_SIG, ECDSA_SIG_free> signature(ECDSA_SIG_new());
  Owned<BIGNUM, FreeBignum> rn(BN_bin2bn(r, kP256CoordinateSize, nullptr));
  Owned<BIGNUM, FreeBignum> sn(BN_bin2bn(s, kP256CoordinateSize, nullptr));
  if (!signature || !rn || !sn || ECDSA_SIG_set0(signature.get(), rn.get(), sn.get()) != 1) {
    return SignatureCheck::kInvalid;
  }
  rn.release();  // owned by the signature now
  sn.release();
  unsigned char* der = nullptr;
  const int derSize = i2d_ECDSA_SIG(signature.get(), &der);
  if (derSize <= 0) return SignatureCheck::kInvalid;
  Owned<EVP_PKEY_CTX, EVP_PKEY_CTX_free> context(
      EVP_PKEY_CTX_new_from_pkey(nullptr, key.get(), nullptr));
  int verified = -1;
  if (context && EVP_PKEY_verify_init(context.get()) == 1) {
    verified =
        EVP_PKEY_verify(context.get(), der, static_cast<std::size_t>(derSize), digest, kSha256Size);
  }
  OPENSSL_free(der);
  return verified == 1 ? SignatureCheck::kValid : SignatureCheck::kInvalid;
}

}  // namespace orvex::platform
