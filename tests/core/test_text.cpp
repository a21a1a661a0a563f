#include <gtest/gtest.h>

#include <string>

#include "core/text.h"

namespace orvex {
namespace {

TEST(TextTest, TrimRemovesControlBytesAtTheEndsOnly) {
  EXPECT_EQ(Trim("  App Runner \t\r\n"), "App Runner");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(Trim("\xa0x\xa0"), "\xa0x\xa0");
  EXPECT_EQ(Trim(std::string("\0x\0", 3)), "x");
}

TEST(TextTest, SameTextIgnoresAsciiCaseOnly) {
  EXPECT_TRUE(SameText("LocalHost", "localhost"));
  EXPECT_FALSE(SameText("localhost", "localhost."));
  EXPECT_FALSE(SameText("\xc9", "\xe9"));
}

}  // namespace
}  // namespace orvex
