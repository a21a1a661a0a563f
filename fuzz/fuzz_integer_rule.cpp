// The integer rule against a plain reference for decimal texts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/integer_rule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::int32_t value = 12345;
  bool ok = orvex::TextToInteger(text, value);
  if (!ok && value != 12345) __builtin_trap();  // untouched on failure

  // Reference: blanks, sign, decimal digits only.
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size() || text.find_first_not_of("0123456789", i) != std::string_view::npos)
    return 0;
  std::int64_t reference = 0;
  bool fits = true;
  for (; i < text.size() && fits; ++i) {
    reference = reference * 10 + (text[i] - '0');
    fits = reference <= std::int64_t{INT32_MAX} + 1;
  }
  if (negative) reference = -reference;
  fits = fits && reference >= INT32_MIN && reference <= INT32_MAX;
  if (ok != fits || (ok && value != reference)) __builtin_trap();
  return 0;
}
