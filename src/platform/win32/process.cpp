#include "platform/process.h"

#include <windows.h>

namespace orvex::platform {

namespace {

HANDLE ProcessHandle(const ProcessInfo& info) {
  return reinterpret_cast<HANDLE>(info.process);
}

// The launcher's environment block with the overrides applied (names compare without case).
std::string EnvironmentBlock(const EnvironmentOverrides& environment) {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* entry = strings; entry != nullptr && *entry != '\0';
       entry += lstrlenA(entry) + 1) {
    std::string text(entry);
    bool replaced = false;
    for (const auto& [name, value] : environment) {
      if (text.size() > name.size() && text[name.size()] == '=' &&
          CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(),
                         static_cast<int>(name.size()), name.c_str(),
                         static_cast<int>(name.size())) == CSTR_EQUAL) {
        replaced = true;
      }
    }
    if (!replaced) block += text + '\0';
  }
  if (strings != nullptr) FreeEnvironmentStringsA(strings);
  for (const auto& [name, value] : environment) block += name + "=" + value + '\0';
  block += '\0';
  return block;
}

}  // namespace

// Windows keeps its own command line.
void SetProgramArguments(int, char**) {}

std::string CommandLineText() {
  return GetCommandLineA();
}

std::string ExecutablePath() {
  char buffer[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return std::string(buffer, length);
}

std::string_view DirectoryDelimiters() {
  return "\\:";
}

std::string_view JavaRuntimeRelativePath() {
  return "jre\\bin\\javaw.exe";
}

bool StartProcess(const ProcessCommand& command, ProcessInfo& info,
                  const EnvironmentOverrides& environment) {
  // CreateProcessA may write into the command line, so it gets its own copy.
  std::string commandLine = command.commandLine;
  std::string block;
  if (!environment.empty()) block = EnvironmentBlock(environment);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // No handle is inherited: the update's connection and files stay the launcher's own.
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                      block.empty() ? nullptr : block.data(), nullptr, &startup, &started)) {
    return false;
  }
  info.process = reinterpret_cast<std::uintptr_t>(started.hProcess);
  info.thread = reinterpret_cast<std::uintptr_t>(started.hThread);
  info.processId = started.dwProcessId;
  info.threadId = started.dwThreadId;
  return true;
}

// Asks the process object, not an exit status: a program that ends with status 259
// (STILL_ACTIVE) has still ended.
bool StillRunning(const ProcessInfo& info) {
  if (info.process == 0) return false;
  return WaitForSingleObject(ProcessHandle(info), 0) == WAIT_TIMEOUT;
}

std::optional<int> WaitForExit(const ProcessInfo& info, std::chrono::milliseconds timeout) {
  if (info.process == 0) return std::nullopt;
  if (WaitForSingleObject(ProcessHandle(info), static_cast<DWORD>(timeout.count())) !=
      WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(ProcessHandle(info), &code)) return -1;
  return static_cast<int>(code);
}

bool HandleIsOpen(std::uintptr_t handle) {
  DWORD flags = 0;
  return GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags) != 0;
}

void KillProcess(const ProcessInfo& info) {
  if (info.process != 0) TerminateProcess(ProcessHandle(info), 1);
}

bool SendCloseRequest(const ProcessInfo& info, bool sessionEnd) {
  struct Search {
    DWORD processId;
    HWND found;
  } search{info.processId, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        char name[32] = {};
        GetClassNameA(hwnd, name, sizeof name);
        if (owner != search->processId || lstrcmpA(name, "TApplication") != 0) return TRUE;
        search->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return false;
  return PostMessageA(search.found, sessionEnd ? WM_ENDSESSION : WM_CLOSE, sessionEnd ? TRUE : 0,
                      0) != 0;
}

void ReleaseProcess(ProcessInfo& info) {
  if (info.process != 0) CloseHandle(ProcessHandle(info));
  if (info.thread != 0) CloseHandle(reinterpret_cast<HANDLE>(info.thread));
  info = ProcessInfo{};
}

}  // namespace orvex::platform
