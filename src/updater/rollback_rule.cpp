#include "updater/rollback_rule.h"

namespace orvex {

StartJudgement JudgeEndedStart(const WatchState& state, std::int32_t startedVersion,
                               std::optional<int> exitStatus,
                               std::chrono::steady_clock::time_point started,
                               std::chrono::steady_clock::time_point ended) {
  if (state.watchedVersion == -1 || startedVersion != state.watchedVersion ||
      !exitStatus.has_value()) {
    return {StartVerdict::NotWatched, state};
  }
  // A user closing the application normally, or a run past the early window, proves it.
  if (*exitStatus == 0 || ended - started > kEarlyEnd) {
    return {StartVerdict::Proven, WatchState{}};
  }
  WatchState next = state;
  ++next.badStarts;
  if (next.badStarts >= kBadStartsForRollBack) return {StartVerdict::RollBack, WatchState{}};
  return {StartVerdict::Bad, next};
}

}  // namespace orvex
