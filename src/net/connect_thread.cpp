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

}  // namespace orvex
