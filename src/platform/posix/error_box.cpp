#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

#include "platform/events.h"
#include "platform/posix/display.h"

namespace orvex::platform {
namespace {

constexpr int kMargin = 16;
constexpr int kLineHeight = 18;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr double kFontSize = 13;

struct Box {
  Display* display = nullptr;
  ::Window xid = 0;
  Atom deleteWindow = 0;
  std::vector<std::string> lines;
  int width = 0;
  int height = 0;
  int buttonX = 0;
  int buttonY = 0;
  bool closed = false;
};

std::vector<Box*>& OpenBoxes() {
  static auto* boxes = new std::vector<Box*>;  // lives as long as the process
  return *boxes;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? end : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

void SelectFont(cairo_t* cr) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, kFontSize);
}

void Measure(Box& box) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(surface);
  SelectFont(cr);
  double widest = 0;
  for (const std::string& line : box.lines) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, line.c_str(), &extents);
    widest = std::max(widest, extents.x_advance);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  // A very long message is cut at the screen's edge rather than making an unusable window.
  int screenWidth = DisplayWidth(box.display, DefaultScreen(box.display));
  box.width =
      std::clamp(static_cast<int>(widest) + 2 * kMargin + 40, 240, std::max(240, screenWidth - 40));
  box.height = kMargin + static_cast<int>(box.lines.size()) * kLineHeight + kMargin +
               kButtonHeight + kMargin;
  box.buttonX = (box.width - kButtonWidth) / 2;
  box.buttonY = box.height - kMargin - kButtonHeight;
}

void Paint(const Box& box) {
  int screen = DefaultScreen(box.display);
  cairo_surface_t* surface = cairo_xlib_surface_create(
      box.display, box.xid, DefaultVisual(box.display, screen), box.width, box.height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
  cairo_paint(cr);
  // The error mark: a red disc with a white cross.
  cairo_set_source_rgb(cr, 0.8, 0.1, 0.1);
  cairo_arc(cr, kMargin + 12, kMargin + 12, 12, 0, 6.2832);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 2.5);
  cairo_move_to(cr, kMargin + 7, kMargin + 7);
  cairo_line_to(cr, kMargin + 17, kMargin + 17);
  cairo_move_to(cr, kMargin + 17, kMargin + 7);
  cairo_line_to(cr, kMargin + 7, kMargin + 17);
  cairo_stroke(cr);
  SelectFont(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (std::size_t i = 0; i < box.lines.size(); ++i) {
    cairo_move_to(cr, kMargin + 40, kMargin + 14 + static_cast<double>(i) * kLineHeight);
    cairo_show_text(cr, box.lines[i].c_str());
  }
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_rectangle(cr, box.buttonX, box.buttonY, kButtonWidth, kButtonHeight);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.2, 0.4, 0.8);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, "OK", &extents);
  cairo_move_to(cr, box.buttonX + (kButtonWidth - extents.x_advance) / 2, box.buttonY + 17);
  cairo_show_text(cr, "OK");
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  XFlush(box.display);
}

void OnEvent(Box& box, const XEvent& event) {
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) Paint(box);
      break;
    case ButtonRelease: {
      int x = event.xbutton.x, y = event.xbutton.y;
      if (x >= box.buttonX && x < box.buttonX + kButtonWidth && y >= box.buttonY &&
          y < box.buttonY + kButtonHeight) {
        box.closed = true;
      }
      break;
    }
    case KeyPress: {
      XKeyEvent key = event.xkey;
      KeySym symbol = XLookupKeysym(&key, 0);
      if (symbol == XK_Return || symbol == XK_KP_Enter || symbol == XK_Escape ||
          symbol == XK_space) {
        box.closed = true;
      }
      break;
    }
    case ClientMessage:
      if (static_cast<Atom>(event.xclient.data.l[0]) == box.deleteWindow) box.closed = true;
      break;
    default:
      break;
  }
}

void Open(Box& box, const std::string& caption) {
  Display* display = box.display;
  int screen = DefaultScreen(display);
  int x = (DisplayWidth(display, screen) - box.width) / 2;
  int y = (DisplayHeight(display, screen) - box.height) / 2;
  box.xid = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, box.width, box.height,
                                0, BlackPixel(display, screen), WhitePixel(display, screen));
  XSelectInput(display, box.xid, ExposureMask | ButtonReleaseMask | KeyPressMask);
  XStoreName(display, box.xid, caption.c_str());
  box.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, box.xid, &box.deleteWindow, 1);
  Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(display, box.xid, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&dialog), 1);
  XSizeHints* hints = XAllocSizeHints();
  if (hints) {
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->x = x;
    hints->y = y;
    hints->min_width = hints->max_width = box.width;
    hints->min_height = hints->max_height = box.height;
    XSetWMNormalHints(display, box.xid, hints);
    XFree(hints);
  }
  XMapRaised(display, box.xid);
  XFlush(display);
}

}  // namespace

void ShowErrorMessageBox(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  Display* display = SharedDisplay();
  if (!display) return;

  Box box;
  box.display = display;
  box.lines = SplitLines(text);
  Measure(box);
  Open(box, caption);
  WatchXWindow(box.xid, [&box](const XEvent& event) { OnEvent(box, event); });
  OpenBoxes().push_back(&box);

  // The box's own loop: everything due goes on being dispatched, timers included. A failure
  // from an event is kept until the box has closed and then handed to the loop further out as a
  // posted event (as Windows keeps it for the next dispatch): raised here, it would escape the
  // failure report that opened the box and end the loop. A quit request closes the box and is
  // posted again for the loop further out.
  std::exception_ptr failure;
  bool quit = false;
  while (!box.closed) {
    try {
      EventOutcome outcome = DispatchNextEvent();
      if (outcome == EventOutcome::Quit) {
        quit = true;
        break;
      }
      if (outcome == EventOutcome::Nothing) WaitForEvent();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }

  auto& open = OpenBoxes();
  open.erase(std::remove(open.begin(), open.end(), &box), open.end());
  UnwatchXWindow(box.xid);
  XDestroyWindow(display, box.xid);
  XFlush(display);
  if (failure) PostTask([failure] { std::rethrow_exception(failure); });
  if (quit) PostQuit();
}

void DismissErrorBoxes() {
  for (Box* box : OpenBoxes()) box->closed = true;
}

}  // namespace orvex::platform
