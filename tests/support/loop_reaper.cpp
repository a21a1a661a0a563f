#include "support/loop_reaper.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "shell/application.h"

namespace orvex::test {

LoopReaper::LoopReaper(std::chrono::milliseconds limit) {
  std::string name = "(no test)";
  if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
    name = std::string(info->test_suite_name()) + "." + info->name();
  }
  watcher_ = std::thread([this, limit, name] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (disarmed_.wait_for(lock, limit, [this] { return done_; })) return;
    std::fprintf(stderr, "FAILED: %s: the event loop ran longer than %lld ms\n", name.c_str(),
                 static_cast<long long>(limit.count()));
    std::fflush(stderr);
    std::_Exit(1);
  });
}

LoopReaper::~LoopReaper() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  disarmed_.notify_all();
  watcher_.join();
}

void RunApplicationLoop(std::chrono::milliseconds limit) {
  LoopReaper reaper(limit);
  Application->Run();
}

}  // namespace orvex::test
