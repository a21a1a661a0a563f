#include "platform/posix/display.h"

#include <cstdlib>
#include <map>

#include "platform/posix/loop_internal.h"

namespace orvex::platform {
namespace {

struct DisplayState {
  bool opened = false;
  Display* display = nullptr;
  std::map<::Window, std::function<void(const XEvent&)>> handlers;
};

DisplayState& State() {
  static auto* state = new DisplayState;  // lives as long as the process
  return *state;
}

// The default handler ends the process on any protocol error (a window that vanished, say);
// a launcher must go on without its pictures.
int IgnoreXError(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

Display* SharedDisplay() {
  DisplayState& state = State();
  if (!state.opened) {
    state.opened = true;
    const char* name = std::getenv("DISPLAY");
    if (name && *name) {
      state.display = XOpenDisplay(nullptr);
      if (state.display) XSetErrorHandler(IgnoreXError);
    }
  }
  return state.display;
}

void WatchXWindow(::Window xid, std::function<void(const XEvent&)> handler) {
  State().handlers[xid] = std::move(handler);
}

void UnwatchXWindow(::Window xid) {
  State().handlers.erase(xid);
}

int DisplayFd() {
  DisplayState& state = State();
  if (!state.display) return -1;
  XFlush(state.display);
  return ConnectionNumber(state.display);
}

bool XEventPending() {
  DisplayState& state = State();
  return state.display && XPending(state.display) > 0;
}

bool DispatchXEvent() {
  DisplayState& state = State();
  if (!state.display || XPending(state.display) == 0) return false;
  XEvent event;
  XNextEvent(state.display, &event);
  auto found = state.handlers.find(event.xany.window);
  if (found != state.handlers.end()) {
    // The handler may unwatch its own window: run a copy.
    auto handler = found->second;
    handler(event);
  }
  return true;
}

}  // namespace orvex::platform
