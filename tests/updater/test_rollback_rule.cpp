#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "updater/rollback_rule.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Case {
  const char* what;
  WatchState state;
  std::int32_t startedVersion;
  std::optional<int> status;
  std::chrono::milliseconds ran;
  StartVerdict verdict;
  WatchState next;
};

TEST(RollbackRule, JudgesEachEndedStartOfAFreshVersion) {
  const WatchState watching3{3, 0};
  const WatchState once3{3, 1};
  const WatchState none{};
  const Case cases[] = {
      {"first early crash counts", watching3, 3, 1, 2s, StartVerdict::Bad, once3},
      {"second early crash rolls back", once3, 3, 1, 2s, StartVerdict::RollBack, none},
      {"a negative status is a crash too", once3, 3, -1073741819, 100ms, StartVerdict::RollBack,
       none},
      {"status 0 never counts: the version is proven", watching3, 3, 0, 1s, StartVerdict::Proven,
       none},
      {"status 0 after one crash still proves it", once3, 3, 0, 1s, StartVerdict::Proven, none},
      {"exactly 60 s is still early", once3, 3, 1, 60s, StartVerdict::RollBack, none},
      {"a run past 60 s proves it, whatever its status", once3, 3, 1, 60001ms, StartVerdict::Proven,
       none},
      {"another version ran (the installation's jar)", once3, -1, 1, 2s, StartVerdict::NotWatched,
       once3},
      {"an older data-directory jar ran", once3, 2, 1, 2s, StartVerdict::NotWatched, once3},
      {"nothing is watched", none, 3, 1, 2s, StartVerdict::NotWatched, none},
      {"nothing is watched, and no jar is known", none, -1, 1, 2s, StartVerdict::NotWatched, none},
      {"an unknown status changes nothing", once3, 3, std::nullopt, 2s, StartVerdict::NotWatched,
       once3},
  };
  const Clock::time_point start = Clock::time_point{} + 1000h;
  for (const Case& c : cases) {
    const StartJudgement judged =
        JudgeEndedStart(c.state, c.startedVersion, c.status, start, start + c.ran);
    EXPECT_EQ(judged.verdict, c.verdict) << c.what;
    EXPECT_EQ(judged.next, c.next) << c.what;
  }
}

TEST(RollbackRule, TwoEarlyCrashesInARowAreNeededAndEnough) {
  const Clock::time_point t0 = Clock::time_point{} + 1h;
  WatchState state{7, 0};
  // crash, crash: rolled back on the second.
  StartJudgement judged = JudgeEndedStart(state, 7, 134, t0, t0 + 3s);
  ASSERT_EQ(judged.verdict, StartVerdict::Bad);
  judged = JudgeEndedStart(judged.next, 7, 134, t0 + 10s, t0 + 12s);
  EXPECT_EQ(judged.verdict, StartVerdict::RollBack);
  // crash, normal close, crash: proven on the second start, never rolled back.
  judged = JudgeEndedStart(state, 7, 134, t0, t0 + 3s);
  judged = JudgeEndedStart(judged.next, 7, 0, t0 + 10s, t0 + 12s);
  ASSERT_EQ(judged.verdict, StartVerdict::Proven);
  judged = JudgeEndedStart(judged.next, 7, 134, t0 + 20s, t0 + 22s);
  EXPECT_EQ(judged.verdict, StartVerdict::NotWatched);
}

}  // namespace
}  // namespace orvex
