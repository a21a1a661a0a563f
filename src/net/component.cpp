#include "net/component.h"

#include "core/exception.h"

namespace orvex {

std::string TNetComponent::StatusText(TNetStatus status, const std::string& arg) {
  switch (status) {
    case hsResolving:
      return FormatMessage("Resolving hostname %s.", arg);
    case hsConnecting:
      return FormatMessage("Connecting to %s.", arg);
    case hsConnected:
      return "Connected.";
    case hsDisconnecting:
      return "Disconnecting.";
    case hsDisconnected:
      return "Disconnected.";
    default:
      return FormatMessage("%s", arg);
  }
}

void TNetComponent::DoStatus(TNetStatus status, const std::string& arg) {
  if (OnStatus) OnStatus(this, status, StatusText(status, arg));
}

namespace {
std::int32_t Clamp32(std::int64_t value) {
  if (value > 2147483647) return 2147483647;
  if (value < -2147483647 - 1) return -2147483647 - 1;
  return static_cast<std::int32_t>(value);
}
}  // namespace

void TNetComponent::BeginWork(TWorkMode mode, std::int64_t max) {
  if (work_target_ != nullptr) return work_target_->BeginWork(mode, max);
  WorkState& state = work_[mode];
  if (++state.level == 1) {
    state.count = 0;
    state.max = max;
    if (OnWorkBegin) OnWorkBegin(this, mode, Clamp32(max));
  }
}

void TNetComponent::DoWork(TWorkMode mode, std::int64_t count) {
  if (work_target_ != nullptr) return work_target_->DoWork(mode, count);
  WorkState& state = work_[mode];
  if (state.level < 1) return;
  state.count += count;
  if (OnWork) OnWork(this, mode, Clamp32(state.count));
}

void TNetComponent::EndWork(TWorkMode mode) {
  if (work_target_ != nullptr) return work_target_->EndWork(mode);
  WorkState& state = work_[mode];
  if (state.level < 1) return;
  if (state.level == 1 && OnWorkEnd) OnWorkEnd(this, mode);
  --state.level;
}

}  // namespace orvex
