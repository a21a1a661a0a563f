#include "platform/text.h"

#include <windows.h>

namespace orvex::platform {

std::size_t CharacterLength(const char* text) {
  if (*text == '\0') return 0;
  return static_cast<std::size_t>(CharNextA(text) - text);
}

}  // namespace orvex::platform
