#include "platform/events.h"

#include <objbase.h>
#include <windows.h>

#include <exception>
#include <memory>

#include "platform/win32/window_impl.h"

namespace orvex::platform {

struct TimerSink {
  HWND hwnd = nullptr;
  bool armed = false;
  std::function<void()> onExpiry;
};

namespace {

constexpr UINT kTaskMessage = WM_APP + 1;
constexpr UINT_PTR kTimerId = 1;

struct LoopState {
  std::exception_ptr failure;
  ApplicationHandlers handlers;
  HWND applicationWindow = nullptr;
  bool comInitialized = false;
};

LoopState& State() {
  static auto* state = new LoopState;  // lives as long as the process
  return *state;
}

LRESULT CALLBACK ApplicationWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kTaskMessage: {
      std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
      if (task && *task) RunGuarded(*task);
      return 0;
    }
    case WM_CLOSE: {
      auto onClose = State().handlers.onClose;
      if (onClose) RunGuarded(onClose);
      return 0;
    }
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) {
        auto onSessionEnd = State().handlers.onSessionEnd;
        if (onSessionEnd) RunGuarded(onSessionEnd);
      }
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTimerId) {
    auto* sink = reinterpret_cast<TimerSink*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    // A stopped timer's late event is dropped.
    if (sink && sink->armed) {
      // The handler may destroy its own timer: run a copy.
      std::function<void()> onExpiry = sink->onExpiry;
      if (onExpiry) RunGuarded(onExpiry);
    }
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterClassOnce(const char* name, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &windowClass)) return;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = name;
  RegisterClassA(&windowClass);
}

}  // namespace

void RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    LoopState& state = State();
    if (!state.failure) state.failure = std::current_exception();
  }
}

HWND ApplicationWindowHandle() {
  LoopState& state = State();
  if (!state.applicationWindow) {
    RegisterClassOnce("TApplication", ApplicationWindowProc);
    state.applicationWindow =
        CreateWindowExA(0, "TApplication", "", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU,
                        0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  return state.applicationWindow;
}

void InitializeEvents() {
  LoopState& state = State();
  if (!state.comInitialized) state.comInitialized = SUCCEEDED(CoInitialize(nullptr));
  ApplicationWindowHandle();
}

void FinalizeEvents() {
  LoopState& state = State();
  if (state.comInitialized) CoUninitialize();
  state.comInitialized = false;
}

EventOutcome DispatchNextEvent() {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return EventOutcome::Nothing;
  if (message.message == WM_QUIT) return EventOutcome::Quit;
  TranslateMessage(&message);
  DispatchMessageA(&message);
  LoopState& state = State();
  if (state.failure) {
    std::exception_ptr failure = state.failure;
    state.failure = nullptr;
    std::rethrow_exception(failure);
  }
  return EventOutcome::Dispatched;
}

void WaitForEvent() {
  WaitMessage();
}

void PostQuit() {
  PostQuitMessage(0);
}

void PostTask(std::function<void()> task) {
  auto* posted = new std::function<void()>(std::move(task));
  if (!PostMessageA(ApplicationWindowHandle(), kTaskMessage, 0, reinterpret_cast<LPARAM>(posted))) {
    delete posted;
  }
}

void SetApplicationHandlers(ApplicationHandlers handlers) {
  State().handlers = std::move(handlers);
}

TimerSink* CreateTimerSink(std::function<void()> onExpiry) {
  RegisterClassOnce("TTimerWindow", TimerWindowProc);
  HWND hwnd = CreateWindowExA(0, "TTimerWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return nullptr;
  auto* sink = new TimerSink{hwnd, false, std::move(onExpiry)};
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(sink));
  return sink;
}

void DestroyTimerSink(TimerSink* sink) {
  if (!sink) return;
  StopTimer(sink);
  SetWindowLongPtrA(sink->hwnd, GWLP_USERDATA, 0);
  DestroyWindow(sink->hwnd);
  delete sink;
}

bool StartTimer(TimerSink* sink, std::uint32_t intervalMs) {
  if (!sink || intervalMs == 0) return false;
  sink->armed = SetTimer(sink->hwnd, kTimerId, intervalMs, nullptr) != 0;
  return sink->armed;
}

void StopTimer(TimerSink* sink) {
  if (!sink) return;
  // Timer events are made from the live timers when the queue is read, so killing the timer
  // drops its pending event too. (Peeking for it here would take a pending quit request.)
  KillTimer(sink->hwnd, kTimerId);
  sink->armed = false;
}

void SetLoopClock(LoopClock) {
  // The system's timers cannot be moved by another clock.
}

}  // namespace orvex::platform

namespace orvex::platform {

void RaiseCloseRequest() {
  PostMessageA(ApplicationWindowHandle(), WM_CLOSE, 0, 0);
}
void RaiseSessionEnd() {
  PostMessageA(ApplicationWindowHandle(), WM_ENDSESSION, TRUE, 0);
}

}  // namespace orvex::platform
