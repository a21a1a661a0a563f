#pragma once

namespace orvex {

enum class WatchAction {
  kWait,       // still running: look again at the next tick
  kRestart,    // ended (or never started) and keepRunning: start it again
  kTerminate,  // ended (or never started): the launcher ends
};

// The watchdog's decision at each tick.
inline WatchAction DecideWatch(bool stillRunning, bool keepRunning) {
  if (stillRunning) return WatchAction::kWait;
  return keepRunning ? WatchAction::kRestart : WatchAction::kTerminate;
}

}  // namespace orvex
