#include <windows.h>

#include "platform/events.h"

namespace orvex::platform {

void ShowErrorMessageBox(const std::string& text, const std::string& caption) {
  // Runs its own loop: timers go on being dispatched while it is open.
  MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace orvex::platform
