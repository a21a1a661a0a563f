#include "platform/session.h"

#include <windows.h>

namespace orvex::platform {

bool EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  // Neither result is examined: the request itself shows whether the privilege was granted.
  LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  CloseHandle(token);
  return true;
}

int RequestForcedShutdown() {
  return ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0);
}
int RequestForcedLogoff() {
  return ExitWindowsEx(EWX_LOGOFF | EWX_FORCE, 0);
}
int RequestLock() {
  return LockWorkStation();
}
int RequestForcedReboot() {
  return ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0);
}
int RequestForcedSuspend() {
  return SetSystemPowerState(TRUE, TRUE);
}

}  // namespace orvex::platform
