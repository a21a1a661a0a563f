#pragma once

#include <X11/Xlib.h>

#include <functional>

// The one X connection of the process, shared by the event loop and the windows that show.
namespace orvex::platform {

// Opened on first use; null when there is no display (then nothing is shown, all else works).
Display* SharedDisplay();

// Routes the X events of one X window to `handler`; they are dispatched by the loop after
// posted events and the quit request, before timer expiries.
void WatchXWindow(::Window xid, std::function<void(const XEvent&)> handler);
void UnwatchXWindow(::Window xid);

}  // namespace orvex::platform
