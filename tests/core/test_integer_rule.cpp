#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/integer_rule.h"

namespace orvex {
namespace {

struct IntegerCase {
  std::string text;
  std::optional<std::int32_t> value;  // nothing: the conversion fails
};

TEST(IntegerRuleTest, ConvertsTheWholeTextOrFails) {
  const IntegerCase cases[] = {
      {"7", 7},
      {"  7", 7},
      {"\t7", std::nullopt},
      {"7 ", std::nullopt},
      {"7 beta", std::nullopt},
      {"7.0", std::nullopt},
      {"-7", -7},
      {"+7", 7},
      {"+-7", std::nullopt},
      {"--7", std::nullopt},
      {"0", 0},
      {"007", 7},
      {"0x1F", 31},
      {"0X1f", 31},
      {"x1F", 31},
      {"X1F", 31},
      {"$1F", 31},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"$000000001", 1},
      {"$7FFFFFFF", 2147483647},
      {"$100000000", std::nullopt},
      {"-0x80000000", -2147483647 - 1},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"-", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"$G", std::nullopt},
      {"2147483647", 2147483647},
      {"2147483648", std::nullopt},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", std::nullopt},
      {"99999999999999999999999", std::nullopt},
      {"true", std::nullopt},
      {"0x0x1", std::nullopt},
  };
  for (const IntegerCase& c : cases) {
    std::int32_t value = 12345;
    const bool converted = TextToInteger(c.text, value);
    EXPECT_EQ(converted, c.value.has_value()) << "[" << c.text << "]";
    EXPECT_EQ(value, c.value.value_or(12345)) << "[" << c.text << "]";
  }
}

}  // namespace
}  // namespace orvex
