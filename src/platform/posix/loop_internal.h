#pragma once

// What the POSIX loop needs from the X connection (display.cpp).
namespace orvex::platform {

// The connection's descriptor after flushing, or -1 without a display.
int DisplayFd();
bool XEventPending();
// Takes one X event and routes it to its window's handler; false when none was pending.
bool DispatchXEvent();

}  // namespace orvex::platform
