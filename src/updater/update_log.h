#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <string>

namespace orvex {

class TNetHTTP;

// Fields the updater's log lines share.
// The HTTP status of the last exchange: the error status a failure carries, the client's code
// after a success, "none" when no status line came (no connection, a broken transfer).
std::string ReplyStatus(TNetHTTP& client, const std::exception_ptr& failure);
// Whole milliseconds since `start`.
std::int64_t MillisecondsSince(std::chrono::steady_clock::time_point start);
// Transfer rate in KiB/s, whole, for `bytes` in `milliseconds` (a zero time counts as 1 ms).
std::int64_t KiBPerSecond(std::int64_t bytes, std::int64_t milliseconds);

}  // namespace orvex
