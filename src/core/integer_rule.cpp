#include "core/integer_rule.h"

namespace orvex {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool TextToInteger(std::string_view text, std::int32_t& value) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    negative = text[at] == '-';
    ++at;
  }
  std::string_view rest = text.substr(at);
  bool hex = false;
  if (rest.starts_with("0x") || rest.starts_with("0X")) {
    hex = true;
    rest.remove_prefix(2);
  } else if (rest.starts_with("$") || rest.starts_with("x") || rest.starts_with("X")) {
    hex = true;
    rest.remove_prefix(1);
  }
  if (rest.empty()) return false;

  if (hex) {
    std::uint32_t pattern = 0;
    int significant = 0;
    for (char c : rest) {
      int digit = HexDigit(c);
      if (digit < 0) return false;
      if (pattern != 0 || digit != 0) ++significant;
      if (significant > 8) return false;
      pattern = pattern << 4 | static_cast<std::uint32_t>(digit);
    }
    if (negative) pattern = 0u - pattern;
    value = static_cast<std::int32_t>(pattern);
    return true;
  }

  // The magnitude stays below 2^32 before each step, so 64 bits never overflow.
  std::uint64_t magnitude = 0;
  const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
  for (char c : rest) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    if (magnitude > limit) return false;
  }
  value = negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(magnitude))
                   : static_cast<std::int32_t>(magnitude);
  return true;
}

}  // namespace orvex
