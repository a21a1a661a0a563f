#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <exception>
#include <map>
#include <memory>

#include "platform/events.h"
#include "platform/posix/display.h"
#include "platform/posix/surface_impl.h"
#include "platform/posix/window_impl.h"
#include "platform/window.h"

namespace orvex::platform {
namespace {

struct PaintedState {
  PaintedWindowOptions options;
  WindowBounds bounds;
};

// What the shared window record has no room for, by window.
std::map<const Window*, std::unique_ptr<PaintedState>>& Painted() {
  static auto* table = new std::map<const Window*, std::unique_ptr<PaintedState>>;
  return *table;
}

PaintedState* StateOf(const Window* window) {
  auto found = Painted().find(window);
  return found == Painted().end() ? nullptr : found->second.get();
}

Atom AtomOf(Display* display, const char* name) {
  return XInternAtom(display, name, False);
}

// A splash window without decorations or taskbar entry, translucent as a whole.
void SetWindowManagerHints(Display* display, ::Window xid, const PaintedWindowOptions& options) {
  XStoreName(display, xid, options.title.c_str());
  XChangeProperty(display, xid, AtomOf(display, "_NET_WM_NAME"), AtomOf(display, "UTF8_STRING"), 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(options.title.data()),
                  static_cast<int>(options.title.size()));
  Atom type = AtomOf(display, "_NET_WM_WINDOW_TYPE_SPLASH");
  XChangeProperty(display, xid, AtomOf(display, "_NET_WM_WINDOW_TYPE"), XA_ATOM, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
  Atom states[] = {AtomOf(display, "_NET_WM_STATE_SKIP_TASKBAR"),
                   AtomOf(display, "_NET_WM_STATE_SKIP_PAGER")};
  XChangeProperty(display, xid, AtomOf(display, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(states), 2);
  // Flags: decorations given; decorations: none.
  long motif[5] = {2, 0, 0, 0, 0};
  Atom motifAtom = AtomOf(display, "_MOTIF_WM_HINTS");
  XChangeProperty(display, xid, motifAtom, motifAtom, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(motif), 5);
  if (options.opacity < 255) {
    // The property's scale is 0..0xFFFFFFFF; a compositor applies it to the whole window.
    unsigned long opacity = static_cast<unsigned long>(options.opacity) * 0x01010101UL;
    XChangeProperty(display, xid, AtomOf(display, "_NET_WM_WINDOW_OPACITY"), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&opacity), 1);
  }
}

// Paints the window's picture and makes it the window's background: the X server redraws it by
// itself on every exposure, also while our thread is blocked in a download. Returns the
// failure of the paint handler, if any (the picture is set all the same).
std::exception_ptr PaintBackground(Display* display, Window* window, PaintedState& state) {
  const WindowBounds& bounds = state.bounds;
  if (bounds.width <= 0 || bounds.height <= 0) return nullptr;
  const int screen = DefaultScreen(display);
  Pixmap pixmap = XCreatePixmap(display, window->xid, static_cast<unsigned>(bounds.width),
                                static_cast<unsigned>(bounds.height),
                                static_cast<unsigned>(DefaultDepth(display, screen)));
  cairo_surface_t* target = cairo_xlib_surface_create(
      display, pixmap, DefaultVisual(display, screen), bounds.width, bounds.height);
  Surface surface = MakeSurface(target);
  cairo_surface_destroy(target);
  std::exception_ptr failure;
  try {
    FillRectangle(surface, {0, 0, bounds.width, bounds.height}, state.options.background);
    if (state.options.onPaint) state.options.onPaint(surface);
  } catch (...) {
    failure = std::current_exception();
  }
  ReleaseSurface(surface);
  XSetWindowBackgroundPixmap(display, window->xid, pixmap);
  XFreePixmap(display, pixmap);
  XClearWindow(display, window->xid);
  return failure;
}

}  // namespace

Window* CreatePaintedWindow(const PaintedWindowOptions& options) {
  FormWindowOptions formOptions;
  formOptions.owner = options.owner;
  Window* window = CreateFormWindow(formOptions);
  auto state = std::make_unique<PaintedState>();
  state->options = options;
  state->bounds = {0, 0, options.width, options.height};
  Display* display = SharedDisplay();
  if (display) {
    XSetWindowAttributes attributes{};
    attributes.background_pixel = options.background;  // 24-bit TrueColor default visual
    const int screen = DefaultScreen(display);
    window->xid =
        XCreateWindow(display, RootWindow(display, screen), 0, 0,
                      static_cast<unsigned>(std::max(1, options.width)),
                      static_cast<unsigned>(std::max(1, options.height)), 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWBackPixel, &attributes);
    SetWindowManagerHints(display, window->xid, options);
    if (options.owner && options.owner->xid) {
      XSetTransientForHint(display, window->xid, options.owner->xid);
    }
    // Fixed position and size, as placed by the program.
    XSizeHints hints{};
    hints.flags = PPosition | USPosition;
    XSetWMNormalHints(display, window->xid, &hints);
  }
  Painted()[window] = std::move(state);
  return window;
}

void DestroyPaintedWindow(Window* window) {
  if (!window) return;
  if (Display* display = SharedDisplay(); display && window->xid) {
    XDestroyWindow(display, window->xid);
    XFlush(display);
    window->xid = 0;
  }
  Painted().erase(window);
  DestroyFormWindow(window);
}

void ShowPaintedWindow(Window* window) {
  PaintedState* state = StateOf(window);
  if (!state) return;
  window->visible = true;
  Display* display = SharedDisplay();
  if (!display || !window->xid) return;
  const WindowBounds& bounds = state->bounds;
  // A failure while painting is reported like one escaping an event handler, from the loop.
  if (std::exception_ptr failure = PaintBackground(display, window, *state)) {
    PostTask([failure] { std::rethrow_exception(failure); });
  }
  XMoveWindow(display, window->xid, bounds.left, bounds.top);
  XMapRaised(display, window->xid);
  XSync(display, False);
  // Activated as far as the window manager allows; a refusal is an ignored protocol error.
  XSetInputFocus(display, window->xid, RevertToParent, CurrentTime);
  XSync(display, False);
}

void RepaintPaintedWindow(Window* window) {
  PaintedState* state = StateOf(window);
  Display* display = SharedDisplay();
  if (!state || !window->visible || !display || !window->xid) return;
  // A failed repaint keeps the picture it had; the download goes on.
  PaintBackground(display, window, *state);
  // The server draws the new background at once; nothing waits for a reply.
  XFlush(display);
}

bool SetWindowShape(Window* window, const std::vector<RegionRect>* rects) {
  Display* display = SharedDisplay();
  if (!window || !display || !window->xid) return true;  // nothing shows: nothing to cut
  int eventBase = 0;
  int errorBase = 0;
  if (!XShapeQueryExtension(display, &eventBase, &errorBase)) return false;
  if (!rects) {
    XShapeCombineMask(display, window->xid, ShapeBounding, 0, 0, None, ShapeSet);
    XShapeCombineMask(display, window->xid, ShapeInput, 0, 0, None, ShapeSet);
    return true;
  }
  std::vector<XRectangle> xrects;
  xrects.reserve(rects->size());
  for (const RegionRect& r : *rects) {
    xrects.push_back({static_cast<short>(r.left), static_cast<short>(r.top),
                      static_cast<unsigned short>(r.right - r.left),
                      static_cast<unsigned short>(r.bottom - r.top)});
  }
  // The same shape for drawing and for input: cut-away pixels show and take what lies beneath.
  XShapeCombineRectangles(display, window->xid, ShapeBounding, 0, 0, xrects.data(),
                          static_cast<int>(xrects.size()), ShapeSet, Unsorted);
  XShapeCombineRectangles(display, window->xid, ShapeInput, 0, 0, xrects.data(),
                          static_cast<int>(xrects.size()), ShapeSet, Unsorted);
  return true;
}

// An X window has no title bar bits of its own; the window manager's decorations stay off.
void SetWindowCaption(Window*, bool) {}

void SetWindowBounds(Window* window, int left, int top, int width, int height) {
  PaintedState* state = StateOf(window);
  if (!state) return;
  state->bounds = {left, top, width, height};
  if (Display* display = SharedDisplay(); display && window->xid && width > 0 && height > 0) {
    XMoveResizeWindow(display, window->xid, left, top, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
  }
}

WindowBounds GetWindowBounds(Window* window) {
  PaintedState* state = StateOf(window);
  return state ? state->bounds : WindowBounds{};
}

ScreenMetrics PrimaryScreenMetrics() {
  Display* display = SharedDisplay();
  if (!display) return {};
  const int screen = DefaultScreen(display);
  ScreenMetrics metrics{DisplayWidth(display, screen), DisplayHeight(display, screen), 0, 0};
  // The X screen spans every monitor: its middle may fall between two of them. XRandR (1.5)
  // names the monitors; the primary one is taken, else the first. Without XRandR, or when it
  // names no monitor, the whole screen stands for the primary monitor.
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &event, &error) || !XRRQueryVersion(display, &major, &minor) ||
      (major == 1 && minor < 5) || major < 1) {
    return metrics;
  }
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, RootWindow(display, screen), True, &count);
  if (!monitors) return metrics;
  const XRRMonitorInfo* chosen = count > 0 ? &monitors[0] : nullptr;
  for (int i = 0; i < count; ++i) {
    if (monitors[i].primary) chosen = &monitors[i];
  }
  if (chosen && chosen->width > 0 && chosen->height > 0) {
    metrics.width = chosen->width;
    metrics.height = chosen->height;
    metrics.left = chosen->x;
    metrics.top = chosen->y;
  }
  XRRFreeMonitors(monitors);
  return metrics;
}

}  // namespace orvex::platform
