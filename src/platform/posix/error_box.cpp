#include <cstdio>

#include "platform/events.h"

namespace orvex::platform {

void ShowErrorMessageBox(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

}  // namespace orvex::platform
