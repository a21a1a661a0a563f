#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

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

}  // namespace orvex
