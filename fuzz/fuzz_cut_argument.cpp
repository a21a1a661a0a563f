// Command-line texts cut into arguments: every cut makes progress and stays within the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/text.h"
#include "shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // The text ends at its first NUL.
  const std::size_t end = std::min(size, text.find('\0'));
  std::string param;
  std::size_t position = 0;
  for (int count = 0; position < end; ++count) {
    std::size_t next = orvex::CutArgument(text, position, param);
    if (next <= position || next > end) __builtin_trap();
    if (param.size() > next - position) __builtin_trap();
    if (param.find('"') != std::string::npos) __builtin_trap();
    if (count > static_cast<int>(size)) __builtin_trap();
    position = next;
  }
  // Out-of-range starts must be harmless too.
  (void)orvex::CutArgument(text, size, param);
  (void)orvex::CutArgument(text, size + 3, param);
  for (std::int32_t index = 0; index < 4; ++index) (void)orvex::ArgumentOf(text, index);
  (void)orvex::DirectoryPart(text, "\\:");
  (void)orvex::Trim(text);
  return 0;
}
