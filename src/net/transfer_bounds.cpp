#include "net/transfer_bounds.h"

#include <algorithm>
#include <chrono>

namespace orvex {

std::int64_t SteadyMs() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  // Shifted by one so that a reading is never 0, which stands for "no deadline".
  return std::chrono::duration_cast<std::chrono::milliseconds>(now).count() + 1;
}

void TNetTransferBounds::Start(std::int64_t now, std::int64_t totalMs, std::int64_t minBytes,
                               std::int64_t windowMs) {
  Stop();
  start_ = now;
  if (totalMs > 0) {
    total_ms_ = totalMs;
    deadline_ = now + totalMs;
  }
  if (minBytes > 0 && windowMs > 0) {
    min_bytes_ = minBytes;
    window_ms_ = windowMs;
    granule_ = std::max<std::int64_t>(1, windowMs / kBucketsPerWindow);
  }
}

void TNetTransferBounds::Stop() {
  total_ms_ = deadline_ = min_bytes_ = window_ms_ = 0;
  granule_ = 1;
  buckets_.fill(Bucket{});
}

void TNetTransferBounds::Received(std::int64_t now, std::int64_t count) {
  if (min_bytes_ <= 0 || count <= 0) return;
  const std::int64_t index = BucketIndex(std::max(now, start_));
  Bucket& bucket = buckets_[static_cast<std::size_t>(index % kBuckets)];
  if (bucket.index != index) bucket = Bucket{index, 0};
  bucket.bytes += count;
}

std::int64_t TNetTransferBounds::BytesInWindow(std::int64_t now) const {
  const std::int64_t last = BucketIndex(now);
  const std::int64_t first = std::max<std::int64_t>(0, BucketIndex(now - window_ms_));
  std::int64_t sum = 0;
  for (const Bucket& bucket : buckets_) {
    if (bucket.index >= first && bucket.index <= last) sum += bucket.bytes;
  }
  return sum;
}

std::string TNetTransferBounds::Broken(std::int64_t now) const {
  if (deadline_ > 0 && now >= deadline_) {
    return "The transfer took longer than its limit of " + std::to_string(total_ms_) + " ms";
  }
  // A rate is judged once a whole window has passed since the start.
  if (min_bytes_ > 0 && now - start_ >= window_ms_ && BytesInWindow(now) < min_bytes_) {
    return "The transfer was slower than " + std::to_string(min_bytes_) + " bytes in " +
           std::to_string(window_ms_) + " ms";
  }
  return {};
}

std::int64_t TNetTransferBounds::WaitAllowance(std::int64_t now) const {
  if (!Broken(now).empty()) return 0;
  std::int64_t allowance = -1;
  if (deadline_ > 0) allowance = deadline_ - now;
  if (min_bytes_ > 0) {
    // The window's sum only changes at bucket edges: look again at the next one (or when the
    // first window is complete).
    std::int64_t next = std::max(start_ + window_ms_, start_ + (BucketIndex(now) + 1) * granule_);
    std::int64_t untilNext = std::max<std::int64_t>(1, next - now);
    allowance = allowance < 0 ? untilNext : std::min(allowance, untilNext);
  }
  return allowance;
}

}  // namespace orvex
