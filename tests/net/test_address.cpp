#include <gtest/gtest.h>

#include "net/exceptions.h"
#include "net/stack.h"
#include "support/expect_failure.h"

namespace orvex {
namespace {

TEST(AddressTest, IsIPv4LiteralCases) {
  struct Case {
    const char* text;
    bool literal;
  } const cases[] = {
      {"1.2.3.4", true},    {" 1.2.3.4 ", true},  {"127.0.0.1", true},
      {"0x7f.0.0.1", true}, {"$ff.0.0.1", true},  {"255.255.255.255", true},
      {"1.2.3", false},     {"1.2.3.4.5", false}, {"256.1.1.1", false},
      {"a.b.c.d", false},   {"", false},          {"localhost", false},
      {"1.2.3.-1", false},  {"1..2.3", false},    {"example.invalid", false},
  };
  for (const auto& c : cases) EXPECT_EQ(TNetStack::IsIPv4Literal(c.text), c.literal) << c.text;
}

TEST(AddressTest, CanonicalIPv6Cases) {
  struct Case {
    const char* text;
    const char* canonical;
  } const cases[] = {
      {"::1", "0:0:0:0:0:0:0:1"},
      {"fe80::1:2", "FE80:0:0:0:0:0:1:2"},
      {"1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8"},
      {"2001:DB8::", "2001:DB8:0:0:0:0:0:0"},
      {"::", "0:0:0:0:0:0:0:0"},
      {"0001:00ab::FFFF", "1:AB:0:0:0:0:0:FFFF"},
      // The embedded IPv4 part fills the last two groups; the address keeps eight groups.
      {"::ffff:1.2.3.4", "0:0:0:0:0:FFFF:0102:0304"},
      {"1:2:3:4:5:6:10.0.0.255", "1:2:3:4:5:6:0A00:00FF"},
      {"1::2::3", ""},
      {"example.invalid", ""},
      {"", ""},
      {"1.2.3.4", ""},
      {"12345::1", ""},
      {"1:2:3", ""},  // too few groups without a compression
      {"1:2:3:4:5:6:7:8:9", ""},
      {"::1.2.3", ""},
      {"::ffff:1.2.3.256", ""},
      {"g::1", ""},
      {"[::1]", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TNetStack::CanonicalIPv6(c.text), c.canonical) << c.text;
}

TEST(AddressTest, AddressTextRoundTrips) {
  auto loopback6 = TNetStack::TextToAddress("::1", Net_IPv6);
  ASSERT_EQ(loopback6.size(), 16u);
  EXPECT_EQ(loopback6[15], 1);
  EXPECT_EQ(TNetStack::AddressToText(loopback6, Net_IPv6), "0:0:0:0:0:0:0:1");
  auto mapped = TNetStack::TextToAddress("::ffff:1.2.3.4", Net_IPv6);
  EXPECT_EQ(TNetStack::AddressToText(mapped, Net_IPv6), "0:0:0:0:0:FFFF:102:304");
  EXPECT_EQ(mapped[10], 0xFF);
  EXPECT_EQ(mapped[12], 1);
  EXPECT_EQ(mapped[15], 4);
  auto v4 = TNetStack::TextToAddress(" 10.0.0.1", Net_IPv4);
  EXPECT_EQ(TNetStack::AddressToText(v4, Net_IPv4), "10.0.0.1");
  EXPECT_THROW(TNetStack::TextToAddress("1::2::3", Net_IPv6), ENetInvalidIPv6Address);
  EXPECT_TRUE(test::FailsWith<ENetException>([&] { TNetStack::TextToAddress("x.1.2.3", Net_IPv4); },
                                             "'x' is not a valid integer value"));
  EXPECT_THROW(TNetStack::TextToAddress("300.1.2.3", Net_IPv4), ENetException);
}

TEST(AddressTest, LocalhostResolvesWithoutALookup) {
  TNetStackUse use;
  EXPECT_EQ(GStack->ResolveHost("LocalHost", Net_IPv4), "127.0.0.1");
  EXPECT_EQ(GStack->ResolveHost("192.168.1.2", Net_IPv4), "192.168.1.2");
  EXPECT_EQ(GStack->ResolveHost("::1", Net_IPv6), "0:0:0:0:0:0:0:1");
}

TEST(AddressTest, UnknownHostIsSocketError11001) {
  TNetStackUse use;
  const auto failure = test::FailureOf<ENetSocketError>(
      [] { GStack->ResolveHost("no-such-host.invalid", Net_IPv4); });
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->LastError(), 11001);
  EXPECT_EQ(failure->Message(), "Socket Error # 11001\r\nHost not found.");
}

}  // namespace
}  // namespace orvex
