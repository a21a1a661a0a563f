#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace orvex::test {

// Ends the test program when a test outlives its limit, so a hang becomes a failure.
class Reaper {
 public:
  explicit Reaper(std::chrono::milliseconds limit = std::chrono::seconds(30),
                  std::string what = "test")
      : thread_([this, limit, what] {
          std::unique_lock<std::mutex> guard(lock_);
          if (!done_changed_.wait_for(guard, limit, [this] { return done_; })) {
            std::fprintf(stderr, "reaper: %s did not finish in time\n", what.c_str());
            std::fflush(stderr);
            std::_Exit(3);
          }
        }) {}
  ~Reaper() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      done_ = true;
    }
    done_changed_.notify_all();
    thread_.join();
  }
  Reaper(const Reaper&) = delete;
  Reaper& operator=(const Reaper&) = delete;

 private:
  std::mutex lock_;
  std::condition_variable done_changed_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace orvex::test
