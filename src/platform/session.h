#pragma once

// Session and power requests. Each returns the request's own result: non-zero for success.
// Windows: ExitWindowsEx, LockWorkStation, SetSystemPowerState. Linux: loginctl and systemctl
// found on PATH, non-zero when the command exits 0.
namespace orvex::platform {

// Enables the shutdown privilege on the process's own token. False only when the token cannot
// be opened; a privilege that cannot be enabled still gives true (the request will tell).
bool EnableShutdownPrivilege();

int RequestForcedShutdown();
int RequestForcedLogoff();
int RequestLock();
int RequestForcedReboot();
int RequestForcedSuspend();

}  // namespace orvex::platform
