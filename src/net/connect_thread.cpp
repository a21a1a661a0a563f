#include "net/connect_thread.h"

#include <chrono>

#include "net/exceptions.h"
#include "net/socket_handle.h"
#include "platform/sockets.h"

namespace orvex {

TNetConnectThread::TNetConnectThread(TNetSocketHandle& binding)
    : thread_([this, &binding] { Run(binding); }) {}

TNetConnectThread::~TNetConnectThread() {
  Join();
}

void TNetConnectThread::Join() {
  if (thread_.joinable()) thread_.join();
}

void TNetConnectThread::Run(TNetSocketHandle& binding) {
  bool failed = false, has_code = false;
  int code = 0;
  std::string message;
  try {
    binding.Connect();
  } catch (const ENetSocketError& failure) {
    // 10009 and 10038: the socket was closed under the connect by a caller that gave up.
    if (failure.LastError() != platform::kWsaBadHandle &&
        failure.LastError() != platform::kWsaNotSocket) {
      failed = has_code = true;
      code = failure.LastError();
      message = failure.Message();
    }
  } catch (const Exception& failure) {
    failed = true;
    message = failure.Message();
  } catch (const std::exception& failure) {
    failed = true;
    message = failure.what();
  }
  std::lock_guard<std::mutex> guard(lock_);
  failed_ = failed;
  has_code_ = has_code;
  code_ = code;
  message_ = std::move(message);
  finished_ = true;
  finished_changed_.notify_all();
}

bool TNetConnectThread::WaitFor(int timeoutMs) {
  std::unique_lock<std::mutex> guard(lock_);
  if (timeoutMs < 0) {
    finished_changed_.wait(guard, [this] { return finished_; });
    return true;
  }
  return finished_changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                    [this] { return finished_; });
}

TNetLookupThread::TNetLookupThread(std::string name, platform::AddressFamily family,
                                   TNetLookupFunction lookup)
    : state_(std::make_shared<State>()) {
  thread_ =
      std::thread([state = state_, name = std::move(name), family, lookup = std::move(lookup)] {
        platform::SocketAddress address;
        int code = 11001;
        try {
          code = lookup(name, family, address);
        } catch (...) {
          // A lookup that fails in any other way is an unknown name.
        }
        std::lock_guard<std::mutex> guard(state->lock);
        state->code = code;
        state->address = address;
        state->finished = true;
        state->finished_changed.notify_all();
      });
}

TNetLookupThread::~TNetLookupThread() {
  if (!thread_.joinable()) return;
  bool finished;
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    finished = state_->finished;
  }
  if (finished) {
    thread_.join();
  } else {
    thread_.detach();  // a hanging lookup must not hold the caller; it keeps its own state alive
  }
}

bool TNetLookupThread::WaitFor(int timeoutMs) {
  std::unique_lock<std::mutex> guard(state_->lock);
  if (timeoutMs < 0) {
    state_->finished_changed.wait(guard, [this] { return state_->finished; });
    return true;
  }
  return state_->finished_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                           [this] { return state_->finished; });
}

int TNetLookupThread::Code() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->code;
}

platform::SocketAddress TNetLookupThread::Address() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->address;
}

}  // namespace orvex
