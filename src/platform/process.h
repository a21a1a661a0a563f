#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The running process (its command line and executable path) and the processes it starts.
namespace orvex::platform {

// Hands the program's arguments to the platform (POSIX keeps them to build the command-line
// text; Windows reads its own). Called once by the entry code before anything else.
void SetProgramArguments(int argc, char** argv);

// The one command-line text of the process, program name first. Windows: GetCommandLineA.
// POSIX: the arguments joined by blanks; one holding a separator (0x01..0x20) or a quote, or an
// empty one, is put in double quotes.
std::string CommandLineText();
// The full path of the running executable (Windows: GetModuleFileNameA, at most 260
// characters; Linux: /proc/self/exe). Empty when the platform cannot say.
std::string ExecutablePath();
// The characters after which DirectoryPart cuts a path (Windows "\:", POSIX "/").
std::string_view DirectoryDelimiters();
// The private Java runtime, relative to the executable's directory.
std::string_view JavaRuntimeRelativePath();

// What is needed to start a program on either platform: Windows starts from the one text,
// POSIX from the argument vector (its first word is the program's path).
struct ProcessCommand {
  std::string commandLine;
  std::vector<std::string> arguments;
};

// The identity of a started process. All zero when nothing was started.
struct ProcessInfo {
  std::uintptr_t process = 0;  // Windows: process handle
  std::uintptr_t thread = 0;   // Windows: primary-thread handle
  std::uint32_t processId = 0;
  std::uint32_t threadId = 0;
};

// Environment entries replaced or added for the started process (tests only; the launcher
// passes its own environment unchanged).
using EnvironmentOverrides = std::vector<std::pair<std::string, std::string>>;

// Starts the program with the launcher's environment and current directory. No handle of the
// launcher is inherited (Windows: bInheritHandles FALSE; POSIX: every descriptor is close-on-exec).
// False, with `info` untouched, when the platform refuses.
bool StartProcess(const ProcessCommand& command, ProcessInfo& info,
                  const EnvironmentOverrides& environment = {});
// True while the process has not ended. A never-started process (all zero) counts as ended.
bool StillRunning(const ProcessInfo& info);
// Waits up to `timeout` for the end; the exit code once the process has ended.
std::optional<int> WaitForExit(const ProcessInfo& info, std::chrono::milliseconds timeout);
// Whether `handle` names an open descriptor (POSIX) or handle (Windows) of this process (tests
// only: what a started process was given).
bool HandleIsOpen(std::uintptr_t handle);
// Ends the process at once (tests only).
void KillProcess(const ProcessInfo& info);
// Delivers a close request or the end of the session to a started launcher as the system does
// (tests only): POSIX sends SIGTERM or SIGHUP; Windows posts WM_CLOSE or WM_ENDSESSION to the
// process's application window. False when it could not be delivered.
bool SendCloseRequest(const ProcessInfo& info, bool sessionEnd);
// Gives back what the platform holds for the process (Windows: the two handles) and clears
// `info`. The process itself is not touched.
void ReleaseProcess(ProcessInfo& info);

}  // namespace orvex::platform
