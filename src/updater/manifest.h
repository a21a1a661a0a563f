#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvex {

// What "version.txt" publishes: the version on its first line (read as before, so older
// launchers still understand the file), then optional lines naming the jar's size and digest:
//   size=<decimal bytes>
//   sha256=<64 hexadecimal digits>
// Lines end at CR, LF, CR LF or NUL, and the first NUL ends the text. Lines of other keys are
// skipped, so later additions do not break this launcher.
struct Manifest {
  std::int32_t version = 0;
  std::int64_t size = -1;  // -1 when not named
  std::string sha256;      // lowercase hexadecimal; empty when not named
};

// Raises Exception: the version's own failure ("'%s' is not a valid integer value"), or a size
// or digest line that is malformed or given twice ("Manifest line '%s' is malformed").
Manifest ParseManifest(std::string_view text);

// The lowercase hexadecimal text of bytes.
std::string HexText(const std::uint8_t* bytes, std::size_t count);

}  // namespace orvex
