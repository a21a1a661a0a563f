#pragma once

#include <cstdint>
#include <map>
#include <optional>

namespace orvex {

// The bookkeeping of timer expiries for a loop that has no timers of its own (POSIX). Times are
// milliseconds on any monotonic clock, passed in by the caller so tests can drive it.
// - Start begins a fresh period: due at start + interval, then on that rhythm (start + k*interval)
//   whether or not the previous expiry has been handled.
// - An expiry makes one event pending for the timer; later expiries while it is pending merge
//   into it, so a long handler never leaves a burst of late events behind.
// - Stop (or a new Start) drops the pending event.
// - Pending timers are taken oldest expiry first.
class TimerSchedule {
 public:
  using Id = std::uint64_t;
  using Millis = std::int64_t;

  // Starts (or restarts) timer `id`; interval 0 is treated as stopped.
  void Start(Id id, std::uint32_t interval, Millis now);
  void Stop(Id id);
  bool Running(Id id) const { return timers_.count(id) != 0; }

  // Marks every timer whose due time has come as pending and moves its due time past `now`.
  void Advance(Millis now);
  bool HasPending() const;
  // Takes the pending event with the oldest expiry (ties: the lower id), if any.
  std::optional<Id> TakePending();
  // The earliest due time of a timer without a pending event; none when nothing will expire.
  std::optional<Millis> NextDue() const;

 private:
  struct Entry {
    Millis start = 0;
    Millis interval = 0;
    Millis due = 0;
    bool pending = false;
    Millis expiredAt = 0;
  };
  std::map<Id, Entry> timers_;
};

}  // namespace orvex
