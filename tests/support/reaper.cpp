#include "support/reaper.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "shell/application.h"

namespace orvex::test {

Reaper::Reaper(std::chrono::milliseconds limit, std::string what) {
  if (what.empty()) {
    what = "(no test)";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
      what = std::string(info->test_suite_name()) + "." + info->name();
    }
  }
  watcher_ = std::thread([this, limit, what] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (disarmed_.wait_for(lock, limit, [this] { return done_; })) return;
    std::fprintf(stderr, "FAILED: %s did not finish within %lld ms\n", what.c_str(),
                 static_cast<long long>(limit.count()));
    std::fflush(stderr);
    std::_Exit(3);
  });
}

Reaper::~Reaper() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  disarmed_.notify_all();
  watcher_.join();
}

void RunApplicationLoop(std::chrono::milliseconds limit) {
  Reaper reaper(limit);
  Application->Run();
}

}  // namespace orvex::test
