#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"

namespace orvex::test {

// True when the tests run the Windows build.
bool WindowsTarget();
// The path of a program built beside the test executable ("orvex-launcher", "stub-java").
std::string ProgramPath(const std::string& name);

// A child process the test starts and waits for; killed when the object goes away while it
// still runs, so a hanging child never outlives its test.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& arguments,
               const platform::EnvironmentOverrides& environment = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return started_; }
  bool Running() const;
  // The exit code, or nothing when the child still runs after `timeout`.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  // From the start to the end seen by Wait (or to now while it runs).
  std::chrono::milliseconds Elapsed() const;
  void Kill();
  // A close request (POSIX: SIGTERM) or the end of the session (SIGHUP), as the system sends it.
  bool SendCloseRequest(bool sessionEnd);

 private:
  platform::ProcessInfo info_;
  bool started_ = false;
  std::optional<int> exitCode_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point end_;
};

}  // namespace orvex::test
