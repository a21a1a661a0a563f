#include "shell/timer.h"

#include "core/exception.h"
#include "platform/events.h"
#include "shell/application.h"

namespace orvex {

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  // A sink the platform cannot make shows up as a refused start.
  sink_ = platform::CreateTimerSink([this] { Dispatch(); });
}

TTimer::~TTimer() {
  enabled_ = false;
  if (sink_) platform::DestroyTimerSink(sink_);  // stops it and drops a pending event
  sink_ = nullptr;
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;  // the period runs on
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(std::uint32_t interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();  // even for the same handler: a fresh period
}

void TTimer::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Enabled") {
    SetEnabled(PropertyAsBool(value));
  } else if (name == "Interval") {
    std::int64_t interval = PropertyAsInt(value);
    if (interval < 0 || interval > 0xFFFFFFFFll) throw EReadError("Invalid property value");
    SetInterval(static_cast<std::uint32_t>(interval));
  } else if (name == "OnTimer") {
    SetOnTimer(PropertyAsHandler(value));
  } else {
    TComponent::SetProperty(name, value);
  }
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  // While a description is applied the setters only store; Loaded arms.
  if (Loading()) return;
  if (sink_) platform::StopTimer(sink_);
  if (enabled_ && interval_ != 0 && onTimer_) {
    if (!sink_ || !platform::StartTimer(sink_, interval_)) {
      throw EOutOfResources("Not enough timers available");
    }
  }
}

void TTimer::Dispatch() {
  if (!onTimer_) return;
  // The handler may reassign OnTimer or destroy this timer: run a copy and touch nothing after.
  TNotifyEvent handler = onTimer_;
  try {
    handler(this);
  } catch (...) {
    if (Application) Application->ReportFailure(this);
  }
}

}  // namespace orvex
