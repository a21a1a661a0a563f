#include "updater/progress.h"

namespace orvex {

std::size_t TProgressStream::Write(const void* data, std::size_t count) {
  const std::size_t written = target_.Write(data, count);
  if (report_) report_(target_.Position());
  return written;
}

bool TRepaintThrottle::Due(Clock::time_point now) {
  if (started_ && now - last_ < interval_) return false;
  started_ = true;
  last_ = now;
  return true;
}

}  // namespace orvex
