#include "net/stack.h"

#include <memory>
#include <mutex>

#include "net/exceptions.h"

namespace orvex {

TNetStack* GStack = nullptr;

namespace {

std::mutex& StackLock() {
  static std::mutex lock;
  return lock;
}

int usage_count = 0;
int start_count = 0;
bool stack_started = false;

// Stops the platform library once at process end when it was started.
struct LibraryStopper {
  ~LibraryStopper() {
    if (stack_started) platform::StopSockets();
  }
} library_stopper;

}  // namespace

void TNetStack::AcquireStack() {
  std::lock_guard<std::mutex> guard(StackLock());
  if (++usage_count > 1) return;
  try {
    if (GStack != nullptr) throw ENetException(kTextStackAlreadyCreated);
    auto stack = std::make_unique<TNetStack>();
    if (!stack_started) {
      if (platform::StartSockets() != 0)
        throw ENetStackInitializationFailed(kTextStackInitializationFailed);
      stack_started = true;
      ++start_count;
    }
    GStack = stack.release();
  } catch (...) {
    --usage_count;
    throw;
  }
}

void TNetStack::ReleaseStack() {
  std::lock_guard<std::mutex> guard(StackLock());
  if (usage_count > 0 && --usage_count == 0) {
    delete GStack;
    GStack = nullptr;
  }
}

int TNetStack::UsageCount() {
  std::lock_guard<std::mutex> guard(StackLock());
  return usage_count;
}

bool TNetStack::StackStarted() {
  std::lock_guard<std::mutex> guard(StackLock());
  return stack_started;
}

int TNetStack::StartCount() {
  std::lock_guard<std::mutex> guard(StackLock());
  return start_count;
}

}  // namespace orvex
