#pragma once

#include <cstdint>
#include <functional>

#include "platform/window.h"

namespace orvex::platform {

// A form's window. Hidden forms need nothing from the X server; a form kind that shows
// something (the wait window) makes an X window and stores it in `xid`.
struct Window {
  Window* owner = nullptr;
  bool visible = false;
  unsigned long xid = 0;
  std::function<void()> onClose;
  std::uint64_t serial = 0;  // tells a posted close request whether the window still exists
};

}  // namespace orvex::platform
