#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "net/transfer_bounds.h"

namespace orvex {
namespace {

// The bounds are judged on times passed in: a minute of traffic runs here in no time.
struct Traffic {
  const char* name;
  std::int64_t totalMs, minBytes, windowMs;
  std::int64_t bytesPerStep, stepMs;  // bytes arriving every stepMs from the start
  std::int64_t runMs;                 // how long the traffic goes on
  std::int64_t brokenAt;              // the first step (ms after the start) found broken; -1 never
};

const Traffic kTraffic[] = {
    // The version check: at most 60 s in all, however the server sends.
    {"a drip holds a total limit", 60000, 0, 0, 1, 20000, 200000, 60000},
    {"a fast stream holds a total limit too", 60000, 0, 0, 65536, 100, 200000, 60000},
    {"a quick reply is within the total limit", 60000, 0, 0, 100, 100, 59900, -1},
    // The jar: 1 KiB per 60 s window at least.
    {"a drip of one byte every 20 s fails after the first window", 0, 1024, 60000, 1, 20000, 300000,
     60000},
    {"a slow but steady link finishes", 0, 1024, 60000, 30, 1000, 600000, -1},
    {"a link just above the rate finishes", 0, 1024, 60000, 18, 1000, 600000, -1},
    {"a link just below the rate fails", 0, 1024, 60000, 16, 1000, 600000, 60000},
    {"nothing arrives: judged once the first window is complete", 0, 1024, 60000, 0, 1000, 300000,
     60000},
    {"the same rule on short windows", 0, 100, 400, 1, 20, 5000, 400},
    {"both bounds off", 0, 0, 0, 0, 1000, 600000, -1},
};

TEST(TransferBoundsTest, TrafficTable) {
  for (const Traffic& t : kTraffic) {
    SCOPED_TRACE(t.name);
    TNetTransferBounds bounds;
    const std::int64_t start = 1000;
    bounds.Start(start, t.totalMs, t.minBytes, t.windowMs);
    std::int64_t brokenAt = -1;
    for (std::int64_t at = t.stepMs; at <= t.runMs; at += t.stepMs) {
      bounds.Received(start + at, t.bytesPerStep);
      if (!bounds.Broken(start + at).empty()) {
        brokenAt = at;
        break;
      }
      // A wait never goes past the next moment a bound can break.
      const std::int64_t allowance = bounds.WaitAllowance(start + at);
      if (bounds.Active()) {
        EXPECT_GT(allowance, 0) << at;
      } else {
        EXPECT_EQ(allowance, -1) << at;
      }
    }
    EXPECT_EQ(brokenAt, t.brokenAt);
  }
}

TEST(TransferBoundsTest, ABurstThenSilenceFailsOnceTheBurstLeavesTheWindow) {
  TNetTransferBounds bounds;
  bounds.Start(0, 0, 1024, 60000);
  bounds.Received(500, 100000);
  EXPECT_EQ(bounds.Broken(60000), "");
  // The burst's bucket (the first second) stays counted while any of it is inside the window.
  EXPECT_EQ(bounds.Broken(60999), "");
  EXPECT_EQ(bounds.Broken(62000), "The transfer was slower than 1024 bytes in 60000 ms");
}

TEST(TransferBoundsTest, TextsNameTheLimitAndStopTurnsThemOff) {
  TNetTransferBounds bounds;
  bounds.Start(100, 500, 0, 0);
  EXPECT_TRUE(bounds.Active());
  EXPECT_EQ(bounds.TimeLeft(300), 300);
  EXPECT_EQ(bounds.WaitAllowance(300), 300);
  EXPECT_EQ(bounds.Broken(600), "The transfer took longer than its limit of 500 ms");
  EXPECT_EQ(bounds.TimeLeft(700), 0);
  EXPECT_EQ(bounds.WaitAllowance(700), 0);
  bounds.Stop();
  EXPECT_FALSE(bounds.Active());
  EXPECT_EQ(bounds.Broken(100000), "");
  EXPECT_EQ(bounds.TimeLeft(100000), -1);
}

TEST(TransferBoundsTest, MemoryStaysFixedWhateverTheTraffic) {
  TNetTransferBounds bounds;
  bounds.Start(0, 0, 1024, 60000);
  // A million receives over ten minutes land in the same few buckets.
  for (std::int64_t i = 0; i < 1000000; ++i) bounds.Received(i * 600000 / 1000000, 1);
  EXPECT_EQ(bounds.Broken(600000), "");
  EXPECT_GE(bounds.BytesInWindow(600000), 90000);
  EXPECT_LE(sizeof bounds, 2048u);
}

}  // namespace
}  // namespace orvex
