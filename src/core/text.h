#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvex {

// Byte-string helpers of the HTTP client. Texts are bytes; case rules are ASCII only.

// Removes blanks and control characters (every byte up to 32) from both ends.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
bool StartsText(std::string_view prefix, std::string_view text);
// Index of the first occurrence of `sub` ignoring case, npos when none.
std::size_t FindText(std::string_view text, std::string_view sub);

// The integer rule: optional leading blanks, one optional sign, "$", "x", "0x" selects
// hexadecimal (up to eight significant digits, taken as a signed 32-bit pattern), decimal
// within 32 bits; nothing may follow the digits.
std::optional<std::int32_t> TryStrToInt32(std::string_view text);
std::int32_t StrToInt32Def(std::string_view text, std::int32_t fallback);
// Plain decimal with an optional sign, 64-bit.
std::optional<std::int64_t> TryStrToInt64(std::string_view text);

}  // namespace orvex
