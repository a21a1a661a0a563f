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

// Makes a hidden, frameless window without a taskbar button. Never null.
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
