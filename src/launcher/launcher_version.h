#pragma once

namespace orvex {

// The launcher's own version, as its log's start line reports it.
inline constexpr char kLauncherVersion[] = "1.1.0";

}  // namespace orvex
