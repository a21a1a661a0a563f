#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvex {

// The bounds of one exchange beyond the wait for each read: a total time limit, and a least rate
// (so many bytes in every window of so many milliseconds). Pure bookkeeping over times the caller
// passes in (milliseconds of a steady clock), so the rules are tested without waiting.
class TNetTransferBounds {
 public:
  // Starts afresh at `now`; a zero (or negative) limit is off.
  void Start(std::int64_t now, std::int64_t totalMs, std::int64_t minBytes, std::int64_t windowMs);
  // Turns both bounds off.
  void Stop();
  bool Active() const { return deadline_ > 0 || min_bytes_ > 0; }

  // Bytes that arrived at `now`.
  void Received(std::int64_t now, std::int64_t count);

  // How long a wait that starts at `now` may last before a bound has to be checked again
  // (-1: no bound applies). 0 when a bound is broken at `now`.
  std::int64_t WaitAllowance(std::int64_t now) const;
  // Milliseconds left of the total limit at `now` (at least 0), or -1 without one.
  std::int64_t TimeLeft(std::int64_t now) const {
    return deadline_ > 0 ? (now < deadline_ ? deadline_ - now : 0) : -1;
  }
  // The text of the bound broken at `now`; empty when none is.
  std::string Broken(std::int64_t now) const;

  // The bytes counted in the window that ends at `now` (a bucket partly inside counts whole, so
  // a slow but steady sender is never judged too strictly).
  std::int64_t BytesInWindow(std::int64_t now) const;

 private:
  // The window is kept as buckets of a sixtieth of it: memory stays fixed whatever the traffic.
  static constexpr int kBucketsPerWindow = 60;
  static constexpr int kBuckets = kBucketsPerWindow + 2;
  struct Bucket {
    std::int64_t index = -1;
    std::int64_t bytes = 0;
  };

  std::int64_t BucketIndex(std::int64_t now) const { return (now - start_) / granule_; }

  std::int64_t start_ = 0;
  std::int64_t total_ms_ = 0;
  std::int64_t deadline_ = 0;  // 0: no total limit
  std::int64_t min_bytes_ = 0;
  std::int64_t window_ms_ = 0;
  std::int64_t granule_ = 1;
  std::array<Bucket, kBuckets> buckets_{};
};

// Milliseconds of the steady clock (never goes back; starts anywhere above zero).
std::int64_t SteadyMs();

}  // namespace orvex
