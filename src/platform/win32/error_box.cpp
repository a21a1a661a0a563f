#include <windows.h>

#include "platform/events.h"

namespace orvex::platform {
namespace {

BOOL CALLBACK PressOk(HWND hwnd, LPARAM) {
  char className[16] = {};
  GetClassNameA(hwnd, className, sizeof className);
  // The system's dialog class, which message boxes use.
  if (lstrcmpA(className, "#32770") == 0) PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
  return TRUE;
}

}  // namespace

void ShowErrorMessageBox(const std::string& text, const std::string& caption) {
  // Runs its own loop: timers go on being dispatched while it is open.
  MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

void DismissErrorBoxes() {
  EnumThreadWindows(GetCurrentThreadId(), PressOk, 0);
}

}  // namespace orvex::platform
