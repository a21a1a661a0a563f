#pragma once

#include <cstdint>
#include <memory>

#include "shell/component.h"

namespace orvex {

namespace platform {
struct TimerSink;
}

// A timer is armed exactly when Enabled is true, Interval is not 0 and OnTimer is assigned.
// Arming rules (each tested by name in tests/shell/test_timer.cpp):
// - setting Enabled or Interval to its current value does nothing (the period runs on);
// - any other change, and every OnTimer assignment, stops the timer and starts it afresh if the
//   three conditions hold: the first expiry comes Interval ms after that start;
// - expiries while an event is pending merge into it: one pending event per timer, no bursts;
// - stopping (Enabled false, Interval 0, destruction) drops the pending event;
// - a start the platform refuses raises EOutOfResources "Not enough timers available" and
//   leaves the timer disarmed with Enabled reading true;
// - a failure escaping OnTimer goes to TApplication::ReportFailure; the timer keeps running.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t interval);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);

  // Stored properties: "Enabled", "Interval", "OnTimer".
  void SetProperty(std::string_view name, const PropertyValue& value) override;

  // Arms the timer once its stored values are in place.
  void Loaded() override;

  // Runs OnTimer for one expiry (called by the event loop).
  void Dispatch();

 private:
  void UpdateTimer();

  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
  platform::TimerSink* sink_ = nullptr;
};

}  // namespace orvex
