#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "stream/filter_stream.h"

namespace orvex {

// Passes everything to the stream beneath and, after each write, reports how far the stream has
// got (its position: the bytes of the body so far). Used to feed the wait window's bar.
class TProgressStream : public TFilterStream {
 public:
  using Report = std::function<void(std::int64_t written)>;
  TProgressStream(TStream& target, Report report)
      : TFilterStream(target), report_(std::move(report)) {}

  std::size_t Write(const void* data, std::size_t count) override;

 private:
  Report report_;
};

// Lets a repaint through at most once per interval of the caller's clock: the first call is
// due, then the next one at least `interval` later. Ten repaints a second cost the download
// nothing measurable; one per block received would.
class TRepaintThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  explicit TRepaintThrottle(std::chrono::milliseconds interval = std::chrono::milliseconds(100))
      : interval_(interval) {}
  bool Due(Clock::time_point now);

 private:
  std::chrono::milliseconds interval_;
  bool started_ = false;
  Clock::time_point last_{};
};

}  // namespace orvex
