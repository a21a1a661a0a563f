#include "platform/text.h"

namespace orvex::platform {

// Bytes are characters here: UTF-8 continuation bytes are never a separator or a quote.
std::size_t CharacterLength(const char* text) {
  return *text == '\0' ? 0 : 1;
}

}  // namespace orvex::platform
