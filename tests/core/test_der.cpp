#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/der.h"

namespace orvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Repeat(std::uint8_t byte, std::size_t count) {
  return Bytes(count, byte);
}

// One element with a short-form length.
Bytes Tlv(std::uint8_t tag, const Bytes& content) {
  return Cat({{tag, static_cast<std::uint8_t>(content.size())}, content});
}

const Bytes kEcPublicKey = {0x06, 0x07, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x02, 0x01};
const Bytes kPrime256v1 = {0x06, 0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07};
const Bytes kSecp384r1 = {0x06, 0x05, 0x2B, 0x81, 0x04, 0x00, 0x22};
const Bytes kX = Repeat(0x11, 32);
const Bytes kY = Repeat(0x22, 32);

Bytes Spki(const Bytes& algorithm, const Bytes& bits) {
  return Tlv(0x30, Cat({Tlv(0x30, algorithm), Tlv(0x03, bits)}));
}

Bytes GoodBits() {
  return Cat({{0x00, 0x04}, kX, kY});
}

TEST(DerPublicKey, ReadsTheUncompressedPointOfAP256Key) {
  const auto key = ReadP256PublicKey(Spki(Cat({kEcPublicKey, kPrime256v1}), GoodBits()));
  ASSERT_TRUE(key.has_value());
  EXPECT_EQ(Bytes(key->x.begin(), key->x.end()), kX);
  EXPECT_EQ(Bytes(key->y.begin(), key->y.end()), kY);
}

TEST(DerPublicKey, RefusesEverythingElse) {
  const Bytes good = Spki(Cat({kEcPublicKey, kPrime256v1}), GoodBits());
  Bytes longForm = good;  // the outer length in long form although it fits the short one
  longForm.erase(longForm.begin() + 1);
  longForm.insert(longForm.begin() + 1, {0x81, good[1]});
  Bytes indefinite = good;
  indefinite[1] = 0x80;
  Bytes trailing = good;
  trailing.push_back(0x00);
  const Bytes truncated(good.begin(), good.end() - 1);
  Bytes lengthPastEnd = good;
  lengthPastEnd[1] = static_cast<std::uint8_t>(good[1] + 1);
  const Bytes rsaOid = {0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01};

  struct Case {
    const char* name;
    Bytes der;
  };
  const Case cases[] = {
      {"empty", {}},
      {"one byte", {0x30}},
      {"another curve", Spki(Cat({kEcPublicKey, kSecp384r1}), GoodBits())},
      {"an RSA key", Spki(Cat({rsaOid, {0x05, 0x00}}), GoodBits())},
      {"no curve", Spki(kEcPublicKey, GoodBits())},
      {"explicit parameters", Spki(Cat({kEcPublicKey, Tlv(0x30, {0x02, 0x01, 0x01})}), GoodBits())},
      {"more after the curve", Spki(Cat({kEcPublicKey, kPrime256v1, {0x05, 0x00}}), GoodBits())},
      {"compressed point", Spki(Cat({kEcPublicKey, kPrime256v1}), Cat({{0x00, 0x02}, kX}))},
      {"hybrid point", Spki(Cat({kEcPublicKey, kPrime256v1}), Cat({{0x00, 0x06}, kX, kY}))},
      {"unused bits", Spki(Cat({kEcPublicKey, kPrime256v1}), Cat({{0x01, 0x04}, kX, kY}))},
      {"short point",
       Spki(Cat({kEcPublicKey, kPrime256v1}), Cat({{0x00, 0x04}, kX, Repeat(2, 31)}))},
      {"long point", Spki(Cat({kEcPublicKey, kPrime256v1}), Cat({GoodBits(), {0x00}}))},
      {"octet string for bit string",
       Tlv(0x30, Cat({Tlv(0x30, Cat({kEcPublicKey, kPrime256v1})), Tlv(0x04, GoodBits())}))},
      {"set for sequence", Cat({{0x31}, Bytes(good.begin() + 1, good.end())})},
      {"non-minimal long length", longForm},
      {"indefinite length", indefinite},
      {"trailing byte", trailing},
      {"truncated", truncated},
      {"length past the end", lengthPastEnd},
      {"a certificate-like nesting", Tlv(0x30, good)},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ReadP256PublicKey(c.der).has_value()) << c.name;
  }
}

Bytes Signature(const Bytes& r, const Bytes& s) {
  return Tlv(0x30, Cat({Tlv(0x02, r), Tlv(0x02, s)}));
}

TEST(DerSignature, NumbersAreLeftPaddedTo32Bytes) {
  struct Case {
    const char* name;
    Bytes r;
    Bytes s;
    Bytes wantR;
    Bytes wantS;
  };
  const Case cases[] = {
      {"full width", Repeat(0x7F, 32), Repeat(0x01, 32), Repeat(0x7F, 32), Repeat(0x01, 32)},
      {"sign byte before a high bit", Cat({{0x00}, Repeat(0xFF, 32)}), Repeat(0x01, 32),
       Repeat(0xFF, 32), Repeat(0x01, 32)},
      {"short numbers",
       {0x05},
       {0x00, 0x80},
       Cat({Repeat(0, 31), {0x05}}),
       Cat({Repeat(0, 31), {0x80}})},
      {"thirty-one bytes", Repeat(0x33, 31), Repeat(0x44, 32), Cat({{0x00}, Repeat(0x33, 31)}),
       Repeat(0x44, 32)},
      {"zero", {0x00}, {0x01}, Repeat(0, 32), Cat({Repeat(0, 31), {0x01}})},
  };
  for (const Case& c : cases) {
    const auto signature = ReadEcdsaP256Signature(Signature(c.r, c.s));
    ASSERT_TRUE(signature.has_value()) << c.name;
    EXPECT_EQ(Bytes(signature->r.begin(), signature->r.end()), c.wantR) << c.name;
    EXPECT_EQ(Bytes(signature->s.begin(), signature->s.end()), c.wantS) << c.name;
  }
}

TEST(DerSignature, RefusesMalformedEncodings) {
  const Bytes good = Signature(Repeat(0x11, 32), Repeat(0x22, 32));
  Bytes trailing = good;
  trailing.push_back(0x00);
  const Bytes truncated(good.begin(), good.end() - 1);
  Bytes innerPastEnd = good;
  innerPastEnd[3] = 33;  // r claims one byte more than stands before s
  struct Case {
    const char* name;
    Bytes der;
  };
  const Case cases[] = {
      {"empty", {}},
      {"empty sequence", {0x30, 0x00}},
      {"one number", Tlv(0x30, Tlv(0x02, Repeat(0x11, 32)))},
      {"three numbers", Tlv(0x30, Cat({Tlv(0x02, {1}), Tlv(0x02, {2}), Tlv(0x02, {3})}))},
      {"negative r", Signature({0x80}, {0x01})},
      {"negative s", Signature({0x01}, Repeat(0xFF, 32))},
      {"empty integer", Signature({}, {0x01})},
      {"needless zero byte", Signature({0x00, 0x7F}, {0x01})},
      {"two zero bytes", Signature(Cat({{0x00, 0x00}, Repeat(0xFF, 31)}), {0x01})},
      {"33 value bytes", Signature(Cat({{0x01}, Repeat(0x00, 32)}), {0x01})},
      {"overlong with sign byte", Signature(Cat({{0x00}, Repeat(0xFF, 33)}), {0x01})},
      {"octet string for integer", Tlv(0x30, Cat({Tlv(0x04, {1}), Tlv(0x02, {2})}))},
      {"not a sequence", Cat({{0x31}, Bytes(good.begin() + 1, good.end())})},
      {"trailing byte", trailing},
      {"truncated", truncated},
      {"inner length past its end", innerPastEnd},
      {"outer length in long form needlessly",
       Cat({{0x30, 0x81, good[1]}, Bytes(good.begin() + 2, good.end())})},
      {"indefinite outer length", Cat({{0x30, 0x80}, Bytes(good.begin() + 2, good.end()), {0, 0}})},
      {"raw r||s", Cat({Repeat(0x11, 32), Repeat(0x22, 32)})},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ReadEcdsaP256Signature(c.der).has_value()) << c.name;
  }
}

}  // namespace
}  // namespace orvex
