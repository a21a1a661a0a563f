#include "session/session_command.h"

#include "platform/session.h"

namespace orvex {

std::int32_t PerformSessionCommand(std::uint32_t code) {
  switch (code) {
    case kSessionShutdown:
    case kSessionReboot:
    case kSessionSuspend:
      // Whether the privilege was really granted shows only in the request's result.
      if (!platform::EnableShutdownPrivilege()) return -1;
      if (code == kSessionShutdown) return platform::RequestForcedShutdown();
      if (code == kSessionReboot) return platform::RequestForcedReboot();
      return platform::RequestForcedSuspend();
    case kSessionLogoff:
      return platform::RequestForcedLogoff();
    case kSessionLock:
      return platform::RequestLock();
    default:
      return -1;
  }
}

}  // namespace orvex
