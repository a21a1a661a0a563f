#include <gtest/gtest.h>

#include <string>

#include "core/exception.h"
#include "stream/capped_stream.h"
#include "stream/stream.h"

namespace orvex {
namespace {

struct CapCase {
  const char* name;
  std::int64_t cap;
  std::size_t firstWrite;
  std::size_t secondWrite;
  bool fails;
};

void PrintTo(const CapCase& c, std::ostream* out) {
  *out << c.name;
}

class CappedStreamTest : public ::testing::TestWithParam<CapCase> {};

// A write that would cross the cap fails and reaches nothing; up to the cap everything passes.
TEST_P(CappedStreamTest, RefusesToGrowPastTheCap) {
  const CapCase& c = GetParam();
  TMemoryStream target;
  TCappedStream capped(target, c.cap);
  const std::string first(c.firstWrite, 'a');
  const std::string second(c.secondWrite, 'b');
  EXPECT_EQ(capped.Write(first.data(), first.size()), first.size());
  if (c.fails) {
    EXPECT_THROW(capped.Write(second.data(), second.size()), Exception);
    EXPECT_EQ(target.Text(), first);
  } else {
    EXPECT_EQ(capped.Write(second.data(), second.size()), second.size());
    EXPECT_EQ(target.Text(), first + second);
  }
}

INSTANTIATE_TEST_SUITE_P(Writes, CappedStreamTest,
                         ::testing::Values(CapCase{"below", 100, 40, 40, false},
                                           CapCase{"exactly_the_cap", 100, 60, 40, false},
                                           CapCase{"one_past", 100, 60, 41, true},
                                           CapCase{"zero_cap", 0, 0, 1, true}),
                         [](const ::testing::TestParamInfo<CapCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(CappedStreamTest, SizeAndPositionPassThroughAndSizeIsCapped) {
  TMemoryStream target;
  TCappedStream capped(target, 10);
  capped.Write("0123456789", 10);
  EXPECT_EQ(capped.Size(), 10);
  capped.SetPosition(2);
  char two[2];
  EXPECT_EQ(capped.Read(two, 2), 2u);
  EXPECT_EQ(std::string(two, 2), "23");
  EXPECT_THROW(capped.SetSize(11), Exception);
  capped.SetSize(4);
  EXPECT_EQ(target.Text(), "0123");
  // A write at a rewound position counts from there.
  capped.SetPosition(0);
  EXPECT_EQ(capped.Write("abcdefghij", 10), 10u);
}

}  // namespace
}  // namespace orvex
