#include <gtest/gtest.h>

#include <string>

#include "core/exception.h"
#include "stream/bounded_memory_stream.h"
#include "support/expect_failure.h"
#include "updater/version_text.h"

namespace orvex {
namespace {

struct VersionCase {
  std::string body;
  std::int32_t expected;  // -1: the check fails
};

void PrintTo(const VersionCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(c.body) << " -> " << c.expected;
}

class VersionTextTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionTextTest, FirstLineByTheIntegerRule) {
  const VersionCase& c = GetParam();
  std::int32_t version = -1;
  try {
    version = ParseVersionText(c.body);
  } catch (const Exception&) {
    version = -1;
  }
  EXPECT_EQ(version, c.expected) << "body: [" << c.body << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, VersionTextTest,
    ::testing::Values(VersionCase{"7\r\n", 7}, VersionCase{"7", 7}, VersionCase{"7\n", 7},
                      VersionCase{"7\r", 7}, VersionCase{" 7", 7}, VersionCase{"7 ", -1},
                      VersionCase{"0x10", 16}, VersionCase{"$10", 16}, VersionCase{"", -1},
                      VersionCase{"\n7", -1}, VersionCase{"\r\n7\r\n", -1},
                      VersionCase{"12\nrelease notes\n", 12},
                      VersionCase{std::string("9\0"
                                              "5",
                                              3),
                                  9},
                      VersionCase{std::string("\0"
                                              "5",
                                              2),
                                  -1},
                      VersionCase{"seven", -1}, VersionCase{"-3", -3},
                      VersionCase{"2147483648", -1}, VersionCase{"<html>404</html>", -1}));

TEST(VersionTextTest, FailureNamesTheLine) {
  EXPECT_TRUE(test::FailsWith<Exception>([&] { ParseVersionText("abc\n1"); },
                                         "'abc' is not a valid integer value"));
}

TEST(BoundedMemoryStreamTest, RefusesToGrowPastItsLimit) {
  TBoundedMemoryStream stream(8);
  EXPECT_EQ(stream.Write("12345678", 8), 8u);
  EXPECT_THROW(stream.Write("9", 1), Exception);
  EXPECT_EQ(stream.Size(), 8);
  stream.SetPosition(4);
  EXPECT_EQ(stream.Write("abcd", 4), 4u);  // rewriting within the limit is fine
  EXPECT_THROW(stream.SetSize(9), Exception);
  EXPECT_EQ(stream.Text(), "1234abcd");
}

}  // namespace
}  // namespace orvex
