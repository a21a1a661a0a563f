#include "platform/window.h"

#include <memory>

#include "platform/events.h"
#include "platform/win32/window_impl.h"

namespace orvex::platform {
namespace {

constexpr const char* kFormClass = "TOrvexForm";

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (window && window->onMessage) {
    LRESULT result = 0;
    if (window->onMessage(message, wParam, lParam, result)) return result;
  }
  switch (message) {
    case WM_CLOSE:
      if (window && window->onClose) {
        std::function<void()> onClose = window->onClose;
        RunGuarded(onClose);
      }
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_NCDESTROY:
      // Destroying an owner window destroys the windows it owns: forget the handle so the
      // form's own destruction does not destroy it twice.
      if (window) window->hwnd = nullptr;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

Window* CreateFormWindow(const FormWindowOptions& options) {
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(GetModuleHandleA(nullptr), kFormClass, &windowClass)) {
    windowClass.lpfnWndProc = FormWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kFormClass;
    RegisterClassA(&windowClass);
  }
  auto window = std::make_unique<Window>();
  window->onClose = options.onClose;
  HWND owner = options.owner ? options.owner->hwnd : nullptr;
  DWORD exStyle = options.appWindow ? WS_EX_APPWINDOW : 0;
  HWND hwnd = CreateWindowExA(exStyle, kFormClass, "", WS_POPUP, 0, 0, 0, 0, owner, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return nullptr;
  window->hwnd = hwnd;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window.get()));
  return window.release();
}

void ShowFormWindow(Window* window) {
  if (window && window->hwnd) ShowWindow(window->hwnd, SW_SHOWNOACTIVATE);
}

void HideFormWindow(Window* window) {
  if (window && window->hwnd) ShowWindow(window->hwnd, SW_HIDE);
}

void DestroyFormWindow(Window* window) {
  if (!window) return;
  if (window->hwnd) {
    SetWindowLongPtrA(window->hwnd, GWLP_USERDATA, 0);
    DestroyWindow(window->hwnd);
  }
  delete window;
}

void PostCloseRequest(Window* window) {
  if (window && window->hwnd) PostMessageA(window->hwnd, WM_CLOSE, 0, 0);
}

void ConfigureApplicationWindow(bool mainFormOnTaskBar) {
  if (!mainFormOnTaskBar) return;
  HWND application = ApplicationWindowHandle();
  if (!application) return;
  LONG_PTR exStyle = GetWindowLongPtrA(application, GWL_EXSTYLE);
  SetWindowLongPtrA(application, GWL_EXSTYLE, (exStyle & ~WS_EX_APPWINDOW) | WS_EX_NOACTIVATE);
  SetWindowTextA(application, "");
}

}  // namespace orvex::platform
