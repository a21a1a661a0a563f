#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "stream/stream.h"
#include "ui/progress_bar.h"
#include "updater/progress.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;

TEST(ProgressStream, PassesWritesThroughAndReportsThePosition) {
  TMemoryStream inner;
  std::vector<std::int64_t> reports;
  TProgressStream counted(inner, [&](std::int64_t written) { reports.push_back(written); });
  EXPECT_EQ(counted.Write("abc", 3), 3u);
  EXPECT_EQ(counted.Write("defgh", 5), 5u);
  EXPECT_EQ(inner.Text(), "abcdefgh");
  EXPECT_EQ(reports, (std::vector<std::int64_t>{3, 8}));
  // A body started over (a redirect) counts from where the stream was put back.
  counted.SetPosition(0);
  counted.SetSize(0);
  counted.Write("xy", 2);
  EXPECT_EQ(reports.back(), 2);
  EXPECT_EQ(counted.Size(), 2);
}

TEST(RepaintThrottle, AtMostOneRepaintPerInterval) {
  TRepaintThrottle throttle(100ms);
  const auto t0 = std::chrono::steady_clock::time_point{} + 1h;
  struct Step {
    std::chrono::milliseconds at;
    bool due;
  };
  const Step steps[] = {{0ms, true},    {1ms, false},   {99ms, false}, {100ms, true},
                        {150ms, false}, {199ms, false}, {260ms, true}, {300ms, false},
                        {361ms, true},  {5000ms, true}};
  for (const Step& step : steps) {
    EXPECT_EQ(throttle.Due(t0 + step.at), step.due) << step.at.count() << " ms";
  }
}

TEST(RepaintThrottle, ADownloadOfManyBlocksRepaintsTenTimesASecond) {
  TRepaintThrottle throttle;
  const auto t0 = std::chrono::steady_clock::time_point{} + 1h;
  int repaints = 0;
  // 32 KiB blocks every 50 us for 3 s: 60000 writes.
  for (int i = 0; i < 60000; ++i) {
    if (throttle.Due(t0 + std::chrono::microseconds(50 * i))) ++repaints;
  }
  EXPECT_EQ(repaints, 30);
}

TEST(ProgressBar, FillWidthFollowsTheBytes) {
  struct Case {
    std::int64_t done;
    std::int64_t total;
    int width;
  };
  const Case cases[] = {
      {0, 1000, 0},      {1, 1000, 0},
      {500, 1000, 103},  {999, 1000, 206},
      {1000, 1000, 207}, {2000, 1000, 207},
      {-5, 1000, 0},     {5, 0, 0},
      {5, -1, 0},        {std::int64_t{1} << 61, std::int64_t{1} << 62, 103},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressFillWidth(c.done, c.total, 207), c.width) << c.done << "/" << c.total;
  }
}

}  // namespace
}  // namespace orvex
