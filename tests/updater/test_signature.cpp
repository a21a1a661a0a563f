#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/der.h"
#include "core/pem.h"
#include "stream/stream.h"
#include "core/exception.h"
#include "support/temp_dir.h"
#include "support/trust_material.h"
#include "updater/digest_stream.h"
#include "updater/signature.h"

namespace orvex {
namespace {

using test::TrustMaterial;
using test::TrustMaterialDir;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A minimal DER INTEGER of a big-endian unsigned number.
std::vector<std::uint8_t> Integer(std::vector<std::uint8_t> value) {
  while (value.size() > 1 && value[0] == 0 && !(value[1] & 0x80)) value.erase(value.begin());
  if (value[0] & 0x80) value.insert(value.begin(), 0x00);
  value.insert(value.begin(), {0x02, static_cast<std::uint8_t>(value.size())});
  return value;
}

// The failure text of a call, or "" when it succeeds.
template <typename F>
std::string FailureOf(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message().empty() ? "(empty failure text)" : e.Message();
  }
  return "";
}

TEST(Sha256, KnownDigestsWholeAndInPieces) {
  struct Case {
    std::string text;
    const char* hex;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sha256Hex(c.text.data(), c.text.size()), c.hex) << c.text;
    TSha256 pieces;
    for (char ch : c.text) pieces.Update(&ch, 1);
    EXPECT_EQ(pieces.FinishHex(), c.hex) << c.text;
    EXPECT_EQ(pieces.FinishHex(), Sha256Hex("", 0)) << "starts over after finishing";
  }
}

TEST(DigestStream, ChecksSizeAndDigestOfWhatPassedThrough) {
  const std::string body(100000, 'x');
  const std::string digest = Sha256Hex(body.data(), body.size());
  struct Case {
    const char* name;
    std::int64_t size;
    std::string sha256;
    const char* failure;  // start of the failure text, "" when the check passes
  };
  const Case cases[] = {
      {"nothing named", -1, "", ""},
      {"both right", 100000, digest, ""},
      {"size only", 100000, "", ""},
      {"digest only", -1, digest, ""},
      {"size too large", 100001, digest, "Size mismatch"},
      {"size too small", 99999, "", "Size mismatch"},
      {"other digest", 100000, Sha256Hex("y", 1), "Digest mismatch"},
  };
  for (const Case& c : cases) {
    TMemoryStream target;
    TDigestStream stream(target);
    for (std::size_t at = 0; at < body.size(); at += 4096) {
      stream.Write(body.data() + at, std::min<std::size_t>(4096, body.size() - at));
    }
    EXPECT_EQ(target.Text(), body) << c.name << ": everything reaches the target";
    EXPECT_EQ(stream.Received(), 100000) << c.name;
    const std::string failure = FailureOf([&] { stream.Check(c.size, c.sha256); });
    EXPECT_EQ(failure.substr(0, std::string(c.failure).size()), c.failure)
        << c.name << ": " << failure;
    EXPECT_EQ(failure.empty(), std::string(c.failure).empty()) << c.name << ": " << failure;
  }
}

TEST(DigestStream, ABodyStartedOverIsDigestedAgainAndAJumpIsNeverTrusted) {
  const std::string body = "the whole body";
  const std::string digest = Sha256Hex(body.data(), body.size());
  {
    // A redirect cuts the stream back to its start before the next body.
    TMemoryStream target;
    TDigestStream stream(target);
    stream.Write("redirect page", 13);
    stream.SetPosition(0);
    stream.SetSize(0);
    stream.Write(body.data(), body.size());
    EXPECT_EQ(FailureOf([&] { stream.Check(14, digest); }), "");
  }
  {
    // Bytes written over earlier ones: the digest no longer describes the file.
    TMemoryStream target;
    TDigestStream stream(target);
    stream.Write(body.data(), body.size());
    stream.SetPosition(4);
    stream.Write("X", 1);
    EXPECT_NE(FailureOf([&] { stream.Check(-1, digest); }), "");
  }
  {
    // Cut short somewhere in the middle, then written on.
    TMemoryStream target;
    TDigestStream stream(target);
    stream.Write(body.data(), body.size());
    stream.SetSize(4);
    stream.Write(body.data() + 4, body.size() - 4);
    EXPECT_NE(FailureOf([&] { stream.Check(-1, ""); }), "");
  }
}

TEST(PublicKeyFile, OnlyAP256PublicKeyIsTaken) {
  EXPECT_EQ(FailureOf([] { LoadP256PublicKey((TrustMaterialDir() / "signer.pub").string()); }), "");
  for (const char* name : {"p384.pub", "rsa.pub", "compressed.pub", "not-a-key.pub"}) {
    EXPECT_NE(FailureOf([&] {
                LoadP256PublicKey((TrustMaterialDir() / name).string());
              }).find("is not a P-256 public key"),
              std::string::npos)
        << name;
  }
  test::TempDir dir;
  // Two keys in one file: which one would be meant?
  test::WriteFile(dir.Path() / "two.pub", TrustMaterial("signer.pub") + TrustMaterial("other.pub"));
  // A private key where the public one belongs is refused as well.
  test::WriteFile(dir.Path() / "private.pem", TrustMaterial("private/signer.key"));
  test::WriteFile(dir.Path() / "huge.pub",
                  std::string(kMaxPublicKeyFileSize + 1, '\n') + TrustMaterial("signer.pub"));
  for (const char* name : {"two.pub", "private.pem", "huge.pub"}) {
    EXPECT_NE(FailureOf([&] {
                LoadP256PublicKey((dir.Path() / name).string());
              }).find("is not a P-256 public key"),
              std::string::npos)
        << name;
  }
  EXPECT_NE(FailureOf([&] { LoadP256PublicKey((dir.Path() / "missing.pub").string()); }), "");
}

TEST(Signature, OnlyTheSignersSignatureOverTheExactTextVerifies) {
  const P256PublicKey signer = LoadP256PublicKey((TrustMaterialDir() / "signer.pub").string());
  const P256PublicKey other = LoadP256PublicKey((TrustMaterialDir() / "other.pub").string());
  const std::string text = TrustMaterial("message.txt");
  const auto good = Bytes(TrustMaterial("message.sig"));
  const auto byOther = Bytes(TrustMaterial("message.other.sig"));
  ASSERT_FALSE(text.empty());

  // The same signature with r replaced by numbers out of range.
  auto numbers = ReadEcdsaP256Signature(good);
  ASSERT_TRUE(numbers.has_value());
  auto withR = [&](const std::vector<std::uint8_t>& r) {
    std::vector<std::uint8_t> inner = Integer(r);
    const auto s = Integer(std::vector<std::uint8_t>(numbers->s.begin(), numbers->s.end()));
    inner.insert(inner.end(), s.begin(), s.end());
    inner.insert(inner.begin(), {0x30, static_cast<std::uint8_t>(inner.size())});
    return inner;
  };
  std::vector<std::uint8_t> raw;  // the two numbers without their DER wrapping
  for (std::uint8_t byte : numbers->r) raw.push_back(byte);
  for (std::uint8_t byte : numbers->s) raw.push_back(byte);
  auto flipped = good;
  flipped[flipped.size() - 1] ^= 0x01;  // the last byte of s
  P256PublicKey offCurve = signer;
  offCurve.y[31] ^= 0x01;

  struct Case {
    const char* name;
    const P256PublicKey& key;
    std::string text;
    std::vector<std::uint8_t> der;
    const char* failure;
  };
  const Case cases[] = {
      {"good", signer, text, good, ""},
      {"another key's signature", signer, text, byOther,
       "Signature of version.txt does not verify"},
      {"checked against the other key", other, text, good,
       "Signature of version.txt does not verify"},
      {"text changed", signer, text + " ", good, "Signature of version.txt does not verify"},
      {"signature changed", signer, text, flipped, "Signature of version.txt does not verify"},
      {"r all ones (above the order)", signer, text, withR(std::vector<std::uint8_t>(32, 0xFF)),
       "Signature of version.txt does not verify"},
      {"no signature", signer, text, {}, "Signature of version.txt is malformed"},
      {"not DER", signer, text, Bytes("garbage signature text"),
       "Signature of version.txt is malformed"},
      {"raw r||s", signer, text, raw, "Signature of version.txt is malformed"},
      // A valid INTEGER but never a valid signature.
      {"r zero", signer, text, withR({0x00}), "Signature of version.txt does not verify"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FailureOf([&] { VerifyP256Signature(c.key, c.text, c.der, "version.txt"); }),
              c.failure)
        << c.name;
  }
  // A point off the curve never verifies (refused as a key, or the signature fails).
  EXPECT_NE(FailureOf([&] { VerifyP256Signature(offCurve, text, good, "version.txt"); }), "");
}

}  // namespace
}  // namespace orvex
