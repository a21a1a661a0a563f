// The INI reader on arbitrary text, and the writer: a value it sets reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/ini_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first bytes split off section, key and value (at NUL bytes); the rest is the file.
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view parts[3];
  for (std::string_view& part : parts) {
    std::size_t end = input.find('\0');
    if (end == std::string_view::npos || end > 40) end = 0;
    part = input.substr(0, end);
    input.remove_prefix(end < input.size() ? end + 1 : end);
  }
  const std::string_view section = parts[0].empty() ? "Settings" : parts[0];
  const std::string_view key = parts[1].empty() ? "Name" : parts[1];
  const std::string_view value = parts[2];
  const std::string_view text = input;

  (void)orvex::FindIniValue(text, section, key);
  std::optional<std::string> written = orvex::SetIniValue(text, section, key, value);
  if (written) {
    std::optional<std::string> back = orvex::FindIniValue(*written, section, key);
    if (!back) __builtin_trap();
    // Blanks and one pair of quotes around a value do not survive reading by design.
    const bool plain =
        value.empty() || (value.front() != ' ' && value.back() != ' ' && value.front() != '"' &&
                          value.front() != '\'' && value.front() != '\t' && value.back() != '\t');
    if (plain && *back != value) __builtin_trap();
  }
  return 0;
}
