#include "platform/events.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <deque>
#include <map>

#include "core/timer_schedule.h"
#include "platform/posix/loop_internal.h"

namespace orvex::platform {

struct TimerSink {
  TimerSchedule::Id id = 0;
  std::function<void()> onExpiry;
};

namespace {

struct LoopState {
  std::deque<std::function<void()>> posted;
  bool quitPending = false;
  TimerSchedule schedule;
  std::map<TimerSchedule::Id, TimerSink*> sinks;
  TimerSchedule::Id nextId = 1;
  ApplicationHandlers handlers;
  bool initialized = false;
  int wakeRead = -1;
  int wakeWrite = -1;
};

LoopState& State() {
  static auto* state = new LoopState;  // lives as long as the process
  return *state;
}

volatile std::sig_atomic_t closeSignalled = 0;
volatile std::sig_atomic_t sessionEndSignalled = 0;
int signalPipe = -1;

// Signals become events of the loop through the self-pipe; the handler does nothing else.
void OnSignal(int signal) {
  int saved = errno;
  if (signal == SIGHUP) {
    sessionEndSignalled = 1;
  } else {
    closeSignalled = 1;
  }
  if (signalPipe >= 0) {
    char byte = 1;
    [[maybe_unused]] ssize_t written = write(signalPipe, &byte, 1);
  }
  errno = saved;
}

TimerSchedule::Millis SteadyNow() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

LoopClock& Clock() {
  static auto* clock = new LoopClock(SteadyNow);  // lives as long as the process
  return *clock;
}

TimerSchedule::Millis Now() {
  return Clock()();
}

void TakeSignals() {
  LoopState& state = State();
  if (state.wakeRead >= 0) {
    char buffer[64];
    while (read(state.wakeRead, buffer, sizeof buffer) > 0) {
    }
  }
  if (sessionEndSignalled) {
    sessionEndSignalled = 0;
    state.posted.push_back([] {
      if (State().handlers.onSessionEnd) State().handlers.onSessionEnd();
    });
  }
  if (closeSignalled) {
    closeSignalled = 0;
    state.posted.push_back([] {
      if (State().handlers.onClose) State().handlers.onClose();
    });
  }
}

bool TimerEventPending() {
  LoopState& state = State();
  state.schedule.Advance(Now());
  return state.schedule.HasPending();
}

}  // namespace

void InitializeEvents() {
  LoopState& state = State();
  if (state.initialized) return;
  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
  state.initialized = true;
  state.wakeRead = fds[0];
  state.wakeWrite = fds[1];
  signalPipe = fds[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

void FinalizeEvents() {}

EventOutcome DispatchNextEvent() {
  LoopState& state = State();
  TakeSignals();
  if (!state.posted.empty()) {
    std::function<void()> task = std::move(state.posted.front());
    state.posted.pop_front();
    if (task) task();
    return EventOutcome::Dispatched;
  }
  if (state.quitPending) {
    state.quitPending = false;
    return EventOutcome::Quit;
  }
  if (DispatchXEvent()) return EventOutcome::Dispatched;
  state.schedule.Advance(Now());
  while (auto id = state.schedule.TakePending()) {
    auto sink = state.sinks.find(*id);
    if (sink == state.sinks.end()) continue;
    // The handler may destroy its own timer: run a copy.
    std::function<void()> onExpiry = sink->second->onExpiry;
    if (onExpiry) onExpiry();
    return EventOutcome::Dispatched;
  }
  return EventOutcome::Nothing;
}

void WaitForEvent() {
  LoopState& state = State();
  TakeSignals();
  if (!state.posted.empty() || state.quitPending || XEventPending() || TimerEventPending()) return;
  int timeout = -1;
  if (auto due = state.schedule.NextDue()) {
    TimerSchedule::Millis wait = *due - Now();
    timeout = wait < 0 ? 0 : static_cast<int>(std::min<TimerSchedule::Millis>(wait, 1 << 30));
  }
  pollfd fds[2];
  nfds_t count = 0;
  if (state.wakeRead >= 0) fds[count++] = {state.wakeRead, POLLIN, 0};
  int displayFd = DisplayFd();
  if (displayFd >= 0) fds[count++] = {displayFd, POLLIN, 0};
  // Without anything to wake it and no timer running, the loop would sleep for good: that is
  // what an idle loop does, and a close signal still wakes it through the pipe.
  poll(fds, count, timeout);
}

void PostQuit() {
  State().quitPending = true;
}

void PostTask(std::function<void()> task) {
  LoopState& state = State();
  state.posted.push_back(std::move(task));
}

void SetApplicationHandlers(ApplicationHandlers handlers) {
  State().handlers = std::move(handlers);
}

TimerSink* CreateTimerSink(std::function<void()> onExpiry) {
  LoopState& state = State();
  auto* sink = new TimerSink{state.nextId++, std::move(onExpiry)};
  state.sinks[sink->id] = sink;
  return sink;
}

void DestroyTimerSink(TimerSink* sink) {
  if (!sink) return;
  LoopState& state = State();
  state.schedule.Stop(sink->id);
  state.sinks.erase(sink->id);
  delete sink;
}

bool StartTimer(TimerSink* sink, std::uint32_t intervalMs) {
  if (!sink || intervalMs == 0) return false;
  State().schedule.Start(sink->id, intervalMs, Now());
  return true;
}

void StopTimer(TimerSink* sink) {
  if (sink) State().schedule.Stop(sink->id);
}

void SetLoopClock(LoopClock clock) {
  Clock() = clock ? std::move(clock) : LoopClock(SteadyNow);
}

}  // namespace orvex::platform

namespace orvex::platform {

void RaiseCloseRequest() {
  std::raise(SIGTERM);
}
void RaiseSessionEnd() {
  std::raise(SIGHUP);
}

}  // namespace orvex::platform
