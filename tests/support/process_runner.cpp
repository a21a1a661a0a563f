#include "support/process_runner.h"

#include "shell/command_line.h"

namespace orvex::test {

namespace {

// Quotes what the command-line rules would otherwise cut (no argument here holds a quote).
std::string CommandLineOf(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) {
    if (!text.empty()) text += ' ';
    if (argument.empty() || argument.find_first_of(" \t") != std::string::npos) {
      text += '"' + argument + '"';
    } else {
      text += argument;
    }
  }
  return text;
}

}  // namespace

bool WindowsTarget() {
  const std::string self = platform::ExecutablePath();
  return self.size() > 4 && self.compare(self.size() - 4, 4, ".exe") == 0;
}

std::string ProgramPath(const std::string& name) {
  return ExeDir() + name + (WindowsTarget() ? ".exe" : "");
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const platform::EnvironmentOverrides& environment) {
  start_ = std::chrono::steady_clock::now();
  started_ = platform::StartProcess({CommandLineOf(arguments), arguments}, info_, environment);
}

ChildProcess::~ChildProcess() {
  if (started_ && !exitCode_) {
    platform::KillProcess(info_);
    platform::WaitForExit(info_, std::chrono::seconds(10));
  }
  platform::ReleaseProcess(info_);
}

bool ChildProcess::Running() const {
  return started_ && !exitCode_ && platform::StillRunning(info_);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (!started_) return std::nullopt;
  if (!exitCode_) {
    exitCode_ = platform::WaitForExit(info_, timeout);
    if (exitCode_) end_ = std::chrono::steady_clock::now();
  }
  return exitCode_;
}

std::chrono::milliseconds ChildProcess::Elapsed() const {
  const auto end = exitCode_ ? end_ : std::chrono::steady_clock::now();
  return std::chrono::duration_cast<std::chrono::milliseconds>(end - start_);
}

void ChildProcess::Kill() {
  if (!started_ || exitCode_) return;
  platform::KillProcess(info_);
  Wait(std::chrono::seconds(10));
}

bool ChildProcess::SendCloseRequest(bool sessionEnd) {
  if (!started_ || exitCode_) return false;
  return platform::SendCloseRequest(info_, sessionEnd);
}

}  // namespace orvex::test
