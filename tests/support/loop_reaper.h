#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace orvex::test {

// Fails the running test when a loop it runs outlives `limit`, so a hang becomes a failure.
// A loop cannot be interrupted from another thread, so the reaper prints which test hung and
// ends the test program with a non-zero code. Disarmed when it goes out of scope.
class LoopReaper {
 public:
  explicit LoopReaper(std::chrono::milliseconds limit = std::chrono::seconds(20));
  ~LoopReaper();
  LoopReaper(const LoopReaper&) = delete;
  LoopReaper& operator=(const LoopReaper&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable disarmed_;
  bool done_ = false;
  std::thread watcher_;
};

// Runs the application's loop under a reaper.
void RunApplicationLoop(std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace orvex::test
