#include "core/timer_schedule.h"

namespace orvex {

void TimerSchedule::Start(Id id, std::uint32_t interval, Millis now) {
  if (interval == 0) {
    Stop(id);
    return;
  }
  Entry entry;
  entry.start = now;
  entry.interval = interval;
  entry.due = now + interval;
  timers_[id] = entry;
}

void TimerSchedule::Stop(Id id) {
  timers_.erase(id);
}

void TimerSchedule::Advance(Millis now) {
  for (auto& [id, entry] : timers_) {
    if (entry.due > now) continue;
    if (!entry.pending) {
      entry.pending = true;
      entry.expiredAt = entry.due;
    }
    // Stay on the rhythm counted from the start; the missed expiries merged into this one.
    Millis periods = (now - entry.start) / entry.interval + 1;
    entry.due = entry.start + periods * entry.interval;
  }
}

bool TimerSchedule::HasPending() const {
  for (const auto& [id, entry] : timers_) {
    if (entry.pending) return true;
  }
  return false;
}

std::optional<TimerSchedule::Id> TimerSchedule::TakePending() {
  Entry* oldest = nullptr;
  std::optional<Id> taken;
  for (auto& [id, entry] : timers_) {
    if (entry.pending && (!oldest || entry.expiredAt < oldest->expiredAt)) {
      oldest = &entry;
      taken = id;
    }
  }
  if (oldest) oldest->pending = false;
  return taken;
}

std::optional<TimerSchedule::Millis> TimerSchedule::NextDue() const {
  std::optional<Millis> next;
  for (const auto& [id, entry] : timers_) {
    if (entry.pending) continue;
    if (!next || entry.due < *next) next = entry.due;
  }
  return next;
}

}  // namespace orvex
