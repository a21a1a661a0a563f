#pragma once

#include <windows.h>

#include <functional>

#include "platform/window.h"

namespace orvex::platform {

struct Window {
  HWND hwnd = nullptr;
  std::function<void()> onClose;
  // Optional extra handling for window kinds with their own painting or input; returns true
  // when it answered the message (the answer in `result`).
  std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> onMessage;
};

// Runs a handler from a window procedure. A C++ failure must not unwind through the system's
// frames, so it is kept and rethrown by DispatchNextEvent once DispatchMessage has returned.
void RunGuarded(const std::function<void()>& handler);

// The hidden application window (made on first use).
HWND ApplicationWindowHandle();

}  // namespace orvex::platform
