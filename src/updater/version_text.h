#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvex {

// "version.txt" larger than this is not a version file: the check fails instead of holding it.
constexpr std::size_t kMaxVersionTextSize = 64 * 1024;

// The published version from the text of "version.txt": its first line (ended by CR, LF,
// CR LF or NUL; the first NUL ends the text) taken by the integer rule. An empty text, an empty
// first line or one that is not an integer raises Exception "'%s' is not a valid integer value".
std::int32_t ParseVersionText(std::string_view text);

}  // namespace orvex
