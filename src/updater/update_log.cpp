#include "updater/update_log.h"

#include "http/http_exception.h"
#include "http/net_http.h"

namespace orvex {

std::string ReplyStatus(TNetHTTP& client, const std::exception_ptr& failure) {
  if (!failure) return std::to_string(client.ResponseCode());
  try {
    std::rethrow_exception(failure);
  } catch (const ENetReplyError& reply) {
    return std::to_string(reply.ErrorCode());
  } catch (...) {
    return "none";
  }
}

std::int64_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

std::int64_t KiBPerSecond(std::int64_t bytes, std::int64_t milliseconds) {
  if (milliseconds < 1) milliseconds = 1;
  return bytes * 1000 / 1024 / milliseconds;
}

}  // namespace orvex
