#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/process.h"
#include "shell/form.h"
#include "shell/timer.h"

namespace orvex {

// The launcher: starts the Java application with the private runtime beside the executable,
// asks every 10 s whether it still runs, and then starts it again or ends the process.
class TFormSystem : public TForm {
 public:
  explicit TFormSystem(TComponent* owner);
  ~TFormSystem() override;

  TTimer* TimerLauncher = nullptr;
  TTimer* TimerTerminate = nullptr;

  std::string Memory;
  bool KeepRunning = false;
  std::string JarName;
  // The application started last; replaced only by a successful start.
  platform::ProcessInfo ProcessInfo;
  // That start's jar and time, and whether its end was seen (logged, and judged for the
  // roll-back of a fresh update).
  std::string StartedJar;
  std::chrono::steady_clock::time_point StartedAt{};
  bool EndSeen = true;

  // Reads memory, keepRunning and jarName from ExeDir's settings file; a missing or unreadable
  // file leaves the defaults. Raises Exception for a jar name or memory that is not plain.
  void LoadSettings();
  // Starts the application (when its jar exists) and re-arms the watchdog in every case.
  void Launch(const std::string& argument);
  // One watchdog check: restarts the ended application or arms TimerTerminate.
  void CheckApplication();

  // Logs the end of the application started last and hands it to the updater's roll-back rule.
  void NoteEnd();

  void TimerLauncherTimer(TComponent* sender);
  void TimerTerminateTimer(TComponent* sender);

 protected:
  TNotifyEvent FindMethod(std::string_view name) override;
};

// Registers the "TFormSystem" form description.
void RegisterLauncherResources();

}  // namespace orvex
