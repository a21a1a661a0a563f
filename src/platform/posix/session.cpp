#include "platform/session.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace orvex::platform {

namespace {

// Runs the command found on PATH and waits for it: non-zero when it exits 0.
int RunCommand(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid, &status, 0);
  } while (result < 0 && errno == EINTR);
  return result == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
}

// The caller's own session: the one the desktop named, else the one logind finds for us.
std::string OwnSession() {
  const char* id = std::getenv("XDG_SESSION_ID");
  return id != nullptr && *id != '\0' ? id : "self";
}

}  // namespace

// There is no token to adjust: polkit decides when the request is made.
bool EnableShutdownPrivilege() {
  return true;
}

// "-i" overrides inhibitors and other logged-in users: the request is forced.
int RequestForcedShutdown() {
  return RunCommand({"systemctl", "poweroff", "-i"});
}
int RequestForcedLogoff() {
  return RunCommand({"loginctl", "terminate-session", OwnSession()});
}
int RequestLock() {
  return RunCommand({"loginctl", "lock-session"});
}
int RequestForcedReboot() {
  return RunCommand({"systemctl", "reboot", "-i"});
}
int RequestForcedSuspend() {
  return RunCommand({"systemctl", "suspend", "-i"});
}

}  // namespace orvex::platform
