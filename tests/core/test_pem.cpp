#include <gtest/gtest.h>

#include <string>

#include "core/pem.h"

namespace orvex {
namespace {

std::string Bytes(const std::vector<std::uint8_t>& v) {
  return std::string(v.begin(), v.end());
}

TEST(Base64, Cases) {
  struct Case {
    const char* text;
    bool ok;
    const char* bytes;
  };
  const Case cases[] = {
      {"", true, ""},          {"TWFu", true, "Man"},       {"TWE=", true, "Ma"},
      {"TQ==", true, "M"},     {"TW\r\nFu\n", true, "Man"}, {"TWFuTQ==", true, "ManM"},
      {"TQ", false, ""},        // group without its padding
      {"TQ=", false, ""},       // padding cut short
      {"T===", false, ""},      // one sextet cannot make a byte
      {"TQ==TWFu", false, ""},  // data after the padding
      {"TR==", false, ""},      // bits that belong to no byte
      {"TW-u", false, ""},      // not in the alphabet
      {"TWFu=", false, ""},     // padding after a whole group
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> out;
    EXPECT_EQ(DecodeBase64(c.text, out), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(Bytes(out), c.bytes) << c.text;
    }
  }
}

TEST(Pem, TakesEveryWholeBlockOfTheLabelAndSkipsTheRest) {
  const std::string text =
      "subject=whatever\n"
      "-----BEGIN CERTIFICATE-----\nTWFu\n-----END CERTIFICATE-----\n"
      "-----BEGIN PUBLIC KEY-----\nTWE=\n-----END PUBLIC KEY-----\n"
      "-----BEGIN CERTIFICATE-----\n!!!!\n-----END CERTIFICATE-----\n"  // not base64
      "-----BEGIN CERTIFICATE-----\n-----END CERTIFICATE-----\n"        // empty
      "-----BEGIN CERTIFICATE-----\r\nTQ==\r\n-----END CERTIFICATE-----\r\n"
      "-----BEGIN CERTIFICATE-----\nTWFu\n";  // no end line
  auto certs = DecodePemBlocks(text, "CERTIFICATE");
  ASSERT_EQ(certs.size(), 2u);
  EXPECT_EQ(Bytes(certs[0]), "Man");
  EXPECT_EQ(Bytes(certs[1]), "M");
  auto keys = DecodePemBlocks(text, "PUBLIC KEY");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(Bytes(keys[0]), "Ma");
  EXPECT_TRUE(DecodePemBlocks("no pem here", "CERTIFICATE").empty());
}

TEST(Pem, ABlockOverTheCapIsSkipped) {
  std::string body((kMaxPemBlockBytes / 3 + 1) * 4, 'A');
  std::string text = "-----BEGIN X-----\n" + body + "\n-----END X-----\n" +
                     "-----BEGIN X-----\nTWFu\n-----END X-----\n";
  auto blocks = DecodePemBlocks(text, "X");
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(Bytes(blocks[0]), "Man");
}

}  // namespace
}  // namespace orvex
