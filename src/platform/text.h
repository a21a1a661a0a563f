#pragma once

#include <cstddef>

// The code page's characters: a double-byte character is stepped over whole.
namespace orvex::platform {

// The number of bytes of the character at `text` (NUL-terminated): 1 for a single-byte
// character, 2 for a double-byte one (Windows: CharNextA), 0 at the terminating NUL.
std::size_t CharacterLength(const char* text);

}  // namespace orvex::platform
