#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The event loop's primitives: one thread, one queue. The queue gives events in this order:
// posted events, then a pending quit request, then paint and input, timer expiries last.
namespace orvex::platform {

// Once per process before the first event (Windows: COM for the thread; POSIX: the signal
// pipe). Safe to call again.
void InitializeEvents();
// Releases what InitializeEvents took (at the end of the program).
void FinalizeEvents();

enum class EventOutcome {
  Nothing,     // nothing was pending (not "None": X11 defines that as a macro)
  Dispatched,  // one event was taken and its handler ran
  Quit,        // the quit request was taken
};

// Takes one pending event and runs its handler; never sleeps. A failure escaping the handler
// comes out of this call after the event has been fully taken.
EventOutcome DispatchNextEvent();
// Sleeps until an event is pending (it may return early; the caller loops). Never polls.
void WaitForEvent();
// Posts the quit request (taken before any paint or timer event).
void PostQuit();
// Posts an event that runs `task` on the loop's thread, before quit, paint and timers.
void PostTask(std::function<void()> task);

// What reaches the application from outside: a close request (Windows: WM_CLOSE to the hidden
// application window; POSIX: SIGTERM or SIGINT) and the end of the desktop session (Windows:
// WM_ENDSESSION; POSIX: SIGHUP). Both arrive as events of the loop.
struct ApplicationHandlers {
  std::function<void()> onClose;
  std::function<void()> onSessionEnd;
};
void SetApplicationHandlers(ApplicationHandlers handlers);
// Delivers those two from outside as the system does (tests and tools): POSIX raises SIGTERM or
// SIGHUP; Windows posts WM_CLOSE or WM_ENDSESSION to the application window.
void RaiseCloseRequest();
void RaiseSessionEnd();

// A timer's private event target (Windows: a hidden window, timer id 1). `onExpiry` runs for
// each timer event taken from the queue. Null when the platform cannot make one.
struct TimerSink;
TimerSink* CreateTimerSink(std::function<void()> onExpiry);
// Stops the timer and destroys the sink.
void DestroyTimerSink(TimerSink* sink);
// Starts a fresh period: the first expiry comes `intervalMs` after this call, then every
// `intervalMs` on that rhythm; expiries while an event is pending merge into it. False when
// the platform refuses.
bool StartTimer(TimerSink* sink, std::uint32_t intervalMs);
// Stops the timer and drops its pending event.
void StopTimer(TimerSink* sink);

// The clock a loop that keeps its own timers (POSIX) measures them on: milliseconds of a
// monotonic clock. A test replaces it to let hours pass without sleeping; an empty function puts
// the steady clock back. The Win32 loop's timers are the system's, which keep their own time.
using LoopClock = std::function<std::int64_t()>;
void SetLoopClock(LoopClock clock);

// The error box: `text` with `caption`, an error icon and one OK button (Windows: MessageBoxA,
// flags 0x10). Runs a nested loop while open, so timers keep firing. POSIX: the text and caption
// on standard error, and a small box when a display is there.
void ShowErrorMessageBox(const std::string& text, const std::string& caption);
// Presses OK on every error box this thread has open (tests; the boxes close once control is
// back in their loops).
void DismissErrorBoxes();

}  // namespace orvex::platform
