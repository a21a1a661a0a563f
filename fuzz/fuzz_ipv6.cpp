// IPv6 address texts: a result is always eight hexadecimal groups naming the same address.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/exception.h"
#include "net/stack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string canonical = orvex::TNetStack::CanonicalIPv6(text);
  if (!canonical.empty()) {
    if (std::count(canonical.begin(), canonical.end(), ':') != 7) __builtin_trap();
    if (canonical.find_first_not_of("0123456789ABCDEF:") != std::string::npos) __builtin_trap();
    // The canonical form reads back as the same address.
    if (orvex::TNetStack::TextToAddress(canonical, orvex::Net_IPv6) !=
        orvex::TNetStack::TextToAddress(text, orvex::Net_IPv6)) {
      __builtin_trap();
    }
  }
  (void)orvex::TNetStack::IsIPv4Literal(text);
  return 0;
}
