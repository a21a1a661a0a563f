#include <gtest/gtest.h>

#include "launcher/watch_rule.h"

namespace orvex {
namespace {

TEST(WatchRule, Cases) {
  struct Case {
    bool stillRunning, keepRunning;
    WatchAction expected;
  };
  const Case cases[] = {
      {true, false, WatchAction::kWait},
      {true, true, WatchAction::kWait},
      {false, true, WatchAction::kRestart},
      {false, false, WatchAction::kTerminate},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideWatch(c.stillRunning, c.keepRunning), c.expected)
        << "running " << c.stillRunning << ", keepRunning " << c.keepRunning;
  }
}

}  // namespace
}  // namespace orvex
