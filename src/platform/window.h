#pragma once

#include <functional>

// The windows of forms. Every form window is created hidden; `Window` is opaque here and
// defined by each backend (win32/window_impl.h, posix/window_impl.h).
namespace orvex::platform {

struct Window;

struct FormWindowOptions {
  // The owning window (Windows: the main form's window for every other form, so none gets a
  // taskbar button). Null for the main form.
  Window* owner = nullptr;
  // Windows: WS_EX_APPWINDOW (the main form with the taskbar-on-main-form setting).
  bool appWindow = false;
  // A close request reached this window (Windows: WM_CLOSE).
  std::function<void()> onClose;
};

// Makes a hidden, frameless window without a taskbar button. Null when the system refuses.
Window* CreateFormWindow(const FormWindowOptions& options);
void ShowFormWindow(Window* window);
void HideFormWindow(Window* window);
void DestroyFormWindow(Window* window);

// Posts a close request to the window as the desktop would (Windows: WM_CLOSE).
void PostCloseRequest(Window* window);

// The hidden application window. With the taskbar-on-main-form setting it is made
// non-activating, without a taskbar style, and its caption is empty.
void ConfigureApplicationWindow(bool mainFormOnTaskBar);

}  // namespace orvex::platform

// Windows that show a picture of their own (the wait window): frameless, without a taskbar
// button, translucent as a whole, cut to a shape, painted once and kept on screen by the system
// while the thread is busy elsewhere.
#include <cstdint>
#include <string>
#include <vector>

namespace orvex::platform {

struct Surface;

// One rectangle of a window shape, in window pixels; right and bottom exclusive.
struct RegionRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const RegionRect&) const = default;
};

struct PaintedWindowOptions {
  Window* owner = nullptr;  // the main form's window (Windows: no taskbar button)
  int width = 0;
  int height = 0;
  std::string title;                    // UTF-8; no frame shows it
  std::uint8_t opacity = 255;           // the whole window's opacity
  std::uint32_t background = 0xFFFFFF;  // 0xRRGGBB, filled before onPaint
  std::function<void(Surface& surface)> onPaint;
};

// Made hidden at (0, 0). Without a display (POSIX) the window exists but shows nothing.
Window* CreatePaintedWindow(const PaintedWindowOptions& options);
void DestroyPaintedWindow(Window* window);
// Windows: paints on the next paint event, like any window. POSIX: paints into the window's
// background picture right away, so the X server itself redraws it while the thread blocks.
// Then shows, activates and raises the window.
void ShowPaintedWindow(Window* window);
// Paints the window again now and lets its pending paint work run, without the event loop
// (the thread is in a download). Windows: the window's own messages are handled; POSIX: the
// new picture becomes the background and is flushed to the X server. No-op while hidden.
void RepaintPaintedWindow(Window* window);

// Sets the window's shape (drawing and input); null removes it. False when the platform
// refuses it (the window keeps the shape it had).
bool SetWindowShape(Window* window, const std::vector<RegionRect>* rects);
// The title bar bits of the window's style (Windows: WS_CAPTION). POSIX keeps frameless.
void SetWindowCaption(Window* window, bool caption);
void SetWindowBounds(Window* window, int left, int top, int width, int height);
struct WindowBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
WindowBounds GetWindowBounds(Window* window);

// The primary monitor's size and the virtual desktop's top-left corner, then the primary
// monitor's own top-left corner on the desktop (Windows: always 0, 0; X11: where XRandR puts it).
struct ScreenMetrics {
  int width = 0;
  int height = 0;
  int virtualLeft = 0;
  int virtualTop = 0;
  int left = 0;
  int top = 0;
};
ScreenMetrics PrimaryScreenMetrics();

}  // namespace orvex::platform
