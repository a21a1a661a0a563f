#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "net/stack.h"

namespace orvex {

enum TNetStatus {
  hsResolving,
  hsConnecting,
  hsConnected,
  hsDisconnecting,
  hsDisconnected,
  hsStatusText
};
enum TWorkMode { wmRead, wmWrite };

class TNetComponent;
using TNetNotifyEvent = std::function<void(TNetComponent* sender)>;
using TNetStatusEvent =
    std::function<void(TNetComponent* sender, TNetStatus status, const std::string& text)>;
using TWorkBeginEvent =
    std::function<void(TNetComponent* sender, TWorkMode mode, std::int32_t workCountMax)>;
using TWorkEvent =
    std::function<void(TNetComponent* sender, TWorkMode mode, std::int32_t workCount)>;
using TWorkEndEvent = std::function<void(TNetComponent* sender, TWorkMode mode)>;

// Base of the network components: one use of the socket stack for its lifetime, status
// notifications and progress counting.
class TNetComponent {
 public:
  TNetComponent() = default;
  virtual ~TNetComponent() = default;
  TNetComponent(const TNetComponent&) = delete;
  TNetComponent& operator=(const TNetComponent&) = delete;

  TNetStatusEvent OnStatus;
  TWorkBeginEvent OnWorkBegin;
  TWorkEvent OnWork;
  TWorkEndEvent OnWorkEnd;

  // Formats the status text with arg and calls OnStatus when assigned.
  void DoStatus(TNetStatus status, const std::string& arg = {});
  static std::string StatusText(TNetStatus status, const std::string& arg);

  // Progress counting; passed on to WorkTarget when one is set.
  void BeginWork(TWorkMode mode, std::int64_t max = 0);
  void DoWork(TWorkMode mode, std::int64_t count);
  void EndWork(TWorkMode mode);
  TNetComponent* WorkTarget() const { return work_target_; }
  void SetWorkTarget(TNetComponent* target) { work_target_ = target; }
  std::int64_t WorkCount(TWorkMode mode) const { return work_[mode].count; }
  std::int64_t WorkCountMax(TWorkMode mode) const { return work_[mode].max; }
  int WorkLevel(TWorkMode mode) const { return work_[mode].level; }

 private:
  struct WorkState {
    int level = 0;
    std::int64_t count = 0;
    std::int64_t max = 0;
  };
  TNetStackUse stack_use_;
  TNetComponent* work_target_ = nullptr;
  WorkState work_[2];
};

}  // namespace orvex
