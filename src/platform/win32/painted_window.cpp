#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/surface_impl.h"
#include "platform/win32/window_impl.h"
#include "platform/window.h"

namespace orvex::platform {
namespace {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Looked up at run time: a system without it draws the window opaque.
SetLayeredWindowAttributesFn LayeredAttributes() {
  static const auto function =
      reinterpret_cast<SetLayeredWindowAttributesFn>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes")));
  return function;
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int count =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(count > 0 ? count : 0), L'\0');
  if (count > 0) {
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), count);
  }
  return wide;
}

void Paint(HWND hwnd, const PaintedWindowOptions& options) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  RECT client{};
  GetClientRect(hwnd, &client);
  Surface surface = MakeSurface(dc, client.right, client.bottom);
  RunGuarded([&] {
    FillRectangle(surface, {0, 0, client.right, client.bottom}, options.background);
    if (options.onPaint) options.onPaint(surface);
  });
  EndPaint(hwnd, &paint);
}

}  // namespace

Window* CreatePaintedWindow(const PaintedWindowOptions& options) {
  FormWindowOptions formOptions;
  formOptions.owner = options.owner;
  Window* window = CreateFormWindow(formOptions);
  HWND hwnd = window->hwnd;
  auto kept = std::make_shared<PaintedWindowOptions>(options);
  window->onMessage = [hwnd, kept](UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
      case WM_ERASEBKGND:
        result = 1;  // the paint fills the background itself, without flicker
        return true;
      case WM_PAINT:
        Paint(hwnd, *kept);
        result = 0;
        return true;
      default:
        return false;
    }
  };
  SetWindowTextW(hwnd, Wide(options.title).c_str());
  SetWindowPos(hwnd, nullptr, 0, 0, options.width, options.height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  if (options.opacity < 255 && LayeredAttributes()) {
    LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) SetWindowLongA(hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    LayeredAttributes()(hwnd, 0, options.opacity, LWA_ALPHA);
  }
  return window;
}

void DestroyPaintedWindow(Window* window) {
  if (window) window->onMessage = nullptr;
  DestroyFormWindow(window);
}

void ShowPaintedWindow(Window* window) {
  if (!window || !window->hwnd) return;
  ShowWindow(window->hwnd, SW_SHOWNORMAL);
  SetWindowPos(window->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void RepaintPaintedWindow(Window* window) {
  if (!window || !window->hwnd || !IsWindowVisible(window->hwnd)) return;
  InvalidateRect(window->hwnd, nullptr, FALSE);
  UpdateWindow(window->hwnd);  // WM_PAINT, sent at once
  // The window's own pending messages (the layered window's composition under Wine, input it
  // has no use for); other windows' messages and the thread's timers wait for the event loop.
  MSG message;
  for (int i = 0; i < 64 && PeekMessageA(&message, window->hwnd, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool SetWindowShape(Window* window, const std::vector<RegionRect>* rects) {
  if (!window || !window->hwnd) return false;
  HRGN region = nullptr;
  if (rects) {
    for (const RegionRect& r : *rects) {
      if (!region) {
        region = CreateRectRgn(r.left, r.top, r.right, r.bottom);
        continue;
      }
      HRGN part = CreateRectRgn(r.left, r.top, r.right, r.bottom);
      if (!part) continue;  // a rectangle that cannot be made is skipped
      CombineRgn(region, region, part, RGN_OR);
      DeleteObject(part);
    }
  }
  // Once accepted, the region belongs to the window.
  if (SetWindowRgn(window->hwnd, region, TRUE)) return true;
  if (region) DeleteObject(region);
  return false;
}

void SetWindowCaption(Window* window, bool caption) {
  if (!window || !window->hwnd) return;
  const LONG style = GetWindowLongA(window->hwnd, GWL_STYLE);
  SetWindowLongA(window->hwnd, GWL_STYLE, caption ? (style | WS_CAPTION) : (style & ~WS_CAPTION));
}

void SetWindowBounds(Window* window, int left, int top, int width, int height) {
  if (!window || !window->hwnd) return;
  SetWindowPos(window->hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowBounds GetWindowBounds(Window* window) {
  if (!window || !window->hwnd) return {};
  RECT rect{};
  GetWindowRect(window->hwnd, &rect);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

ScreenMetrics PrimaryScreenMetrics() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
          GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)};
}

}  // namespace orvex::platform
