#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/sockets.h"

namespace orvex {

class TNetSocketHandle;

// Runs one blocking connect of a socket handle on its own thread so that the caller can give up
// after a time limit. The destructor always joins: the thread never outlives its owner.
class TNetConnectThread {
 public:
  explicit TNetConnectThread(TNetSocketHandle& binding);
  ~TNetConnectThread();
  TNetConnectThread(const TNetConnectThread&) = delete;
  TNetConnectThread& operator=(const TNetConnectThread&) = delete;

  // Waits until the connect ended or timeoutMs passed (-1: without limit); true when it ended.
  bool WaitFor(int timeoutMs);
  void Join();

  bool Failed() const { return failed_; }
  bool HasCode() const { return has_code_; }
  int Code() const { return code_; }
  const std::string& Message() const { return message_; }

 private:
  void Run(TNetSocketHandle& binding);

  std::mutex lock_;
  std::condition_variable finished_changed_;
  bool finished_ = false;
  bool failed_ = false;
  bool has_code_ = false;
  int code_ = 0;
  std::string message_;
  std::thread thread_;
};

// The name lookup a handler uses: 0 with the address, or a Windows Sockets code.
using TNetLookupFunction = std::function<int(
    const std::string& name, platform::AddressFamily family, platform::SocketAddress& address)>;

// Looks a host name up on a thread of its own so that the caller can give up after a time limit.
// The system's lookup cannot be cancelled: a caller that gives up leaves the thread to end on its
// own. The thread touches nothing but the state it shares with this object (and its own copies of
// the name and the lookup), so nothing dangles when the caller has gone.
class TNetLookupThread {
 public:
  TNetLookupThread(std::string name, platform::AddressFamily family, TNetLookupFunction lookup);
  // Joins a finished thread, detaches one still looking.
  ~TNetLookupThread();
  TNetLookupThread(const TNetLookupThread&) = delete;
  TNetLookupThread& operator=(const TNetLookupThread&) = delete;

  // Waits until the lookup ended or timeoutMs passed (-1: without limit); true when it ended.
  bool WaitFor(int timeoutMs);
  // Once ended: 0 with Address, or the Windows Sockets code of the failure.
  int Code() const;
  platform::SocketAddress Address() const;

 private:
  struct State {
    std::mutex lock;
    std::condition_variable finished_changed;
    bool finished = false;
    int code = 0;
    platform::SocketAddress address;
  };
  std::shared_ptr<State> state_;
  std::thread thread_;
};

}  // namespace orvex
