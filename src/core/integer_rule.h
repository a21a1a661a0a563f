#pragma once

#include <cstdint>
#include <string_view>

namespace orvex {

// Converts the whole text to a signed 32-bit integer: leading blanks (code 32 only), one
// optional sign, an optional "$", "x", "X", "0x" or "0X" for hexadecimal, then digits and
// nothing else. Decimal must fit in 32 bits; hexadecimal may have up to eight significant
// digits, its value being the 32-bit pattern taken as signed. False, with `value` untouched,
// when the text does not convert.
bool TextToInteger(std::string_view text, std::int32_t& value);

}  // namespace orvex
