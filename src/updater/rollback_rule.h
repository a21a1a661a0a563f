#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace orvex {

// A freshly installed version is watched over its first starts: when the application started
// from it ends with a non-zero status within kEarlyEnd of its start on each of its first
// kBadStartsForRollBack starts, the backup is put back. A start that ends with status 0, or
// that runs longer than kEarlyEnd, proves the version and ends the watch.
inline constexpr std::chrono::seconds kEarlyEnd{60};
inline constexpr std::int32_t kBadStartsForRollBack = 2;

// What DataDir's settings file keeps about the watch ([UPDATE] watchedVersion, badStarts).
struct WatchState {
  std::int32_t watchedVersion = -1;  // -1: nothing is watched
  std::int32_t badStarts = 0;
  bool operator==(const WatchState&) const = default;
};

enum class StartVerdict {
  NotWatched,  // another jar ran, nothing is watched, or the status is unknown: nothing changes
  Proven,      // the watch ends; the version stays
  Bad,         // one more early failure, short of a roll-back
  RollBack,    // the last allowed early failure: the backup goes back
};

struct StartJudgement {
  StartVerdict verdict;
  WatchState next;  // the state to record
};

// Judges one ended start of `startedVersion` (-1: not the data directory's jar). `started` and
// `ended` come from the caller's clock, so the rule is tested without waiting.
StartJudgement JudgeEndedStart(const WatchState& state, std::int32_t startedVersion,
                               std::optional<int> exitStatus,
                               std::chrono::steady_clock::time_point started,
                               std::chrono::steady_clock::time_point ended);

}  // namespace orvex
