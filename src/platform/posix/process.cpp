#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <thread>

extern char** environ;

namespace orvex::platform {

namespace {

std::vector<std::string>& ProgramArguments() {
  static std::vector<std::string> arguments;
  return arguments;
}

// Exit codes of children already reaped, so a later question still has its answer.
std::map<pid_t, int>& ReapedChildren() {
  static std::map<pid_t, int> reaped;
  return reaped;
}

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Reaps the child when it has ended, without waiting. The code once it has ended.
std::optional<int> Reap(pid_t pid) {
  auto known = ReapedChildren().find(pid);
  if (known != ReapedChildren().end()) return known->second;
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid, &status, WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result == 0) return std::nullopt;
  int code = result == pid ? ExitCodeOf(status) : -1;  // -1: not ours, or gone already
  ReapedChildren()[pid] = code;
  return code;
}

bool NeedsQuotes(const std::string& argument) {
  if (argument.empty()) return true;
  for (unsigned char c : argument) {
    if ((c >= 0x01 && c <= 0x20) || c == '"') return true;
  }
  return false;
}

}  // namespace

void SetProgramArguments(int argc, char** argv) {
  ProgramArguments().assign(argv, argv + argc);
}

std::string CommandLineText() {
  std::string text;
  for (const std::string& argument : ProgramArguments()) {
    if (!text.empty()) text += ' ';
    if (NeedsQuotes(argument)) {
      text += '"' + argument + '"';
    } else {
      text += argument;
    }
  }
  return text;
}

std::string ExecutablePath() {
  std::string path(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  return path;
}

std::string_view DirectoryDelimiters() {
  return "/";
}

std::string_view JavaRuntimeRelativePath() {
  return "jre/bin/java";
}

bool StartProcess(const ProcessCommand& command, ProcessInfo& info,
                  const EnvironmentOverrides& environment) {
  if (command.arguments.empty()) return false;
  std::vector<char*> argv;
  for (const std::string& argument : command.arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);

  std::vector<std::string> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    std::string text(*entry);
    bool replaced = false;
    for (const auto& [name, value] : environment) {
      if (text.compare(0, name.size() + 1, name + "=") == 0) replaced = true;
    }
    if (!replaced) entries.push_back(std::move(text));
  }
  for (const auto& [name, value] : environment) entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);

  // The program starts with every signal at its default and none blocked, whatever the
  // launcher's own loop set up for itself.
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return false;
  sigset_t all;
  sigset_t none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  // The exec failure of a missing or unusable program comes back as the spawn's result.
  pid_t pid = 0;
  const int failure = posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  if (failure != 0) return false;
  info = ProcessInfo{};
  info.processId = static_cast<std::uint32_t>(pid);
  info.threadId = static_cast<std::uint32_t>(pid);
  ReapedChildren().erase(pid);
  return true;
}

bool StillRunning(const ProcessInfo& info) {
  if (info.processId == 0) return false;  // never started
  return !Reap(static_cast<pid_t>(info.processId)).has_value();
}

std::optional<int> WaitForExit(const ProcessInfo& info, std::chrono::milliseconds timeout) {
  if (info.processId == 0) return std::nullopt;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (auto code = Reap(static_cast<pid_t>(info.processId))) return code;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool HandleIsOpen(std::uintptr_t handle) {
  return ::fcntl(static_cast<int>(handle), F_GETFD) != -1;
}

void KillProcess(const ProcessInfo& info) {
  if (info.processId != 0 && StillRunning(info)) {
    kill(static_cast<pid_t>(info.processId), SIGKILL);
  }
}

bool SendCloseRequest(const ProcessInfo& info, bool sessionEnd) {
  if (info.processId == 0 || !StillRunning(info)) return false;
  return kill(static_cast<pid_t>(info.processId), sessionEnd ? SIGHUP : SIGTERM) == 0;
}

void ReleaseProcess(ProcessInfo& info) {
  info = ProcessInfo{};
}

}  // namespace orvex::platform
