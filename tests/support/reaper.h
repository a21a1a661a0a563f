#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace orvex::test {

// Ends the test program when a test outlives its limit, so a hang becomes a failure: a loop or
// a blocking call cannot be interrupted from another thread, so the reaper prints what hung and
// exits with a non-zero code. `what` defaults to the running test's name. Disarmed when it goes
// out of scope.
class Reaper {
 public:
  explicit Reaper(std::chrono::milliseconds limit = std::chrono::seconds(30),
                  std::string what = {});
  ~Reaper();
  Reaper(const Reaper&) = delete;
  Reaper& operator=(const Reaper&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable disarmed_;
  bool done_ = false;
  std::thread watcher_;
};

// Runs the application's loop under a reaper.
void RunApplicationLoop(std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace orvex::test
