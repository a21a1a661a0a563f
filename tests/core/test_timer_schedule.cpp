#include <gtest/gtest.h>

#include <vector>

#include "core/timer_schedule.h"

namespace orvex {
namespace {

// Drives the schedule with a clock of our own: `At(t)` advances to t and takes every pending id.
class TimerScheduleTest : public ::testing::Test {
 protected:
  std::vector<TimerSchedule::Id> At(TimerSchedule::Millis now) {
    schedule.Advance(now);
    std::vector<TimerSchedule::Id> taken;
    while (auto id = schedule.TakePending()) taken.push_back(*id);
    return taken;
  }
  using Ids = std::vector<TimerSchedule::Id>;
  TimerSchedule schedule;
};

TEST_F(TimerScheduleTest, FirstExpiryComesOneIntervalAfterTheStart) {
  schedule.Start(1, 1000, 250);
  EXPECT_EQ(At(1249), Ids{});
  EXPECT_EQ(At(1250), Ids{1});
  EXPECT_EQ(At(1251), Ids{});
}

TEST_F(TimerScheduleTest, ExpiriesFollowTheRhythmFromTheStartNotFromTheHandling) {
  schedule.Start(1, 100, 0);
  EXPECT_EQ(At(130), Ids{1});  // handled late
  EXPECT_EQ(At(199), Ids{});
  EXPECT_EQ(At(200), Ids{1});  // still on the 100 ms rhythm
  EXPECT_EQ(schedule.NextDue(), 300);
}

TEST_F(TimerScheduleTest, ExpiriesWhilePendingMergeIntoOneEvent) {
  // A handler blocks for 25 s while a 10 s timer runs: one event afterwards, not two.
  schedule.Start(1, 10000, 0);
  schedule.Advance(10000);
  ASSERT_EQ(schedule.TakePending(), 1u);
  EXPECT_EQ(At(35000), Ids{1});
  EXPECT_EQ(At(39999), Ids{});
  EXPECT_EQ(At(40000), Ids{1});  // then on its own rhythm again
}

TEST_F(TimerScheduleTest, ALongGapWithoutTakingLeavesOnePendingEvent) {
  schedule.Start(1, 10, 0);
  schedule.Advance(15);
  schedule.Advance(95);
  EXPECT_EQ(At(99), Ids{1});
}

TEST_F(TimerScheduleTest, StopDropsThePendingEvent) {
  schedule.Start(1, 100, 0);
  schedule.Advance(150);
  ASSERT_TRUE(schedule.HasPending());
  schedule.Stop(1);
  EXPECT_FALSE(schedule.HasPending());
  EXPECT_EQ(At(1000), Ids{});
  EXPECT_FALSE(schedule.NextDue().has_value());
}

TEST_F(TimerScheduleTest, RestartDropsThePendingEventAndBeginsAFreshPeriod) {
  // 2000 ms, started at 0, stopped and started again at 1500: it fires at 3500.
  schedule.Start(1, 2000, 0);
  schedule.Stop(1);
  schedule.Start(1, 2000, 1500);
  EXPECT_EQ(At(3499), Ids{});
  EXPECT_EQ(At(3500), Ids{1});

  schedule.Start(2, 50, 3500);
  schedule.Advance(3600);
  schedule.Start(2, 50, 3600);
  EXPECT_EQ(At(3649), Ids{});
}

TEST_F(TimerScheduleTest, IntervalZeroNeverExpires) {
  schedule.Start(1, 0, 0);
  EXPECT_FALSE(schedule.Running(1));
  EXPECT_EQ(At(1000000), Ids{});
}

TEST_F(TimerScheduleTest, PendingEventsAreTakenOldestExpiryFirst) {
  schedule.Start(1, 300, 0);
  schedule.Start(2, 100, 0);
  schedule.Start(3, 200, 0);
  EXPECT_EQ(At(400), (Ids{2, 3, 1}));
}

TEST_F(TimerScheduleTest, NextDueIgnoresTimersWithAPendingEvent) {
  schedule.Start(1, 100, 0);
  schedule.Start(2, 500, 0);
  schedule.Advance(100);
  EXPECT_EQ(schedule.NextDue(), 500);
  schedule.TakePending();
  EXPECT_EQ(schedule.NextDue(), 200);
}

}  // namespace
}  // namespace orvex
