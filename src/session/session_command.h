#pragma once

#include <cstdint>

namespace orvex {

// The session and power actions, by the code of their command word.
enum SessionCommand : std::uint32_t {
  kSessionShutdown = 0,
  kSessionLogoff = 1,
  kSessionLock = 2,
  kSessionReboot = 3,
  kSessionSuspend = 4,
};

// Performs the action once: the platform request's own result (non-zero for success), or -1
// when nothing was requested (an unknown code, or the process token could not be opened).
std::int32_t PerformSessionCommand(std::uint32_t code);

}  // namespace orvex
