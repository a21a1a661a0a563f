#include "updater/signature.h"

#include "core/pem.h"
#include "stream/stream.h"
#include "platform/crypto.h"
#include "core/exception.h"
#include "updater/digest_stream.h"

namespace orvex {

P256PublicKey LoadP256PublicKey(const std::string& path) {
  std::string text;
  {
    TFileStream file(path, TFileStream::Mode::OpenRead);
    if (file.Size() > static_cast<std::int64_t>(kMaxPublicKeyFileSize)) {
      throw Exception(path + " is not a P-256 public key: the file is too large");
    }
    text.resize(static_cast<std::size_t>(file.Size()));
    std::size_t done = 0;
    while (done < text.size()) {
      const std::size_t n = file.Read(text.data() + done, text.size() - done);
      if (n == 0) break;
      done += n;
    }
    text.resize(done);
  }
  const auto blocks = DecodePemBlocks(text, "PUBLIC KEY");
  if (blocks.size() != 1) {
    throw Exception(path + " is not a P-256 public key: it must hold one PEM PUBLIC KEY block");
  }
  const std::optional<P256PublicKey> key = ReadP256PublicKey(blocks[0]);
  if (!key) throw Exception(path + " is not a P-256 public key");
  return *key;
}

void VerifyP256Signature(const P256PublicKey& key, std::string_view text,
                         std::span<const std::uint8_t> der, const std::string& what) {
  const std::optional<EcdsaP256Signature> signature = ReadEcdsaP256Signature(der);
  if (!signature) throw Exception("Signature of " + what + " is malformed");
  TSha256 hash;
  hash.Update(text.data(), text.size());
  const auto digest = hash.Finish();
  switch (platform::VerifyP256(key.x.data(), key.y.data(), digest.data(), signature->r.data(),
                               signature->s.data())) {
    case platform::SignatureCheck::kValid:
      return;
    case platform::SignatureCheck::kBadKey:
      throw Exception("The public key is not a P-256 public key: its point is not on the curve");
    case platform::SignatureCheck::kInvalid:
      break;
  }
  throw Exception("Signature of " + what + " does not verify");
}

}  // namespace orvex
