#pragma once

#include <optional>
#include <string>
#include <string_view>

// INI text by the private-profile rules: section and key names compare without case and with
// their blanks trimmed, values lose surrounding blanks and one pair of matching quotes (" or '),
// lines whose first non-blank character is ';' are comments, a line without '=' sets nothing,
// and the first of repeated sections or keys wins. Lines end in LF or CR LF.
namespace orvex {

// The value of `key` in `section`, or nothing when either is missing.
std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// The text with `key` in `section` set to `value`: the key's line is replaced in place, a
// missing key is added at the end of its section, a missing section at the end of the text.
// Every other line stays as it was. Nothing when a name or the value holds a line break, or a
// name would not read back (empty, or holding '=' or ']').
std::optional<std::string> SetIniValue(std::string_view text, std::string_view section,
                                       std::string_view key, std::string_view value);

}  // namespace orvex
