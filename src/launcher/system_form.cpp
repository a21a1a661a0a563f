#include "launcher/system_form.h"

#include "launcher/java_command.h"
#include "launcher/launcher_version.h"
#include "launcher/watch_rule.h"
#include "log/launcher_log.h"
#include "platform/files.h"
#include "settings/ini_file.h"
#include "shell/application.h"
#include "shell/command_line.h"
#include "shell/forms.h"
#include "updater/run_settings.h"
#include "updater/update_form.h"

namespace orvex {

namespace {

const char kSettingsFile[] = "setup.properties";

}  // namespace

TFormSystem::TFormSystem(TComponent* owner) : TForm(owner) {
  LoadDescription("TFormSystem");
  TimerLauncher = DescribedComponent<TTimer>(*this, "TimerLauncher");
  TimerTerminate = DescribedComponent<TTimer>(*this, "TimerTerminate");
  // Kept until the updater knows the data directory, where the log lives.
  Log().Write("start", {Field("version", kLauncherVersion), Field("word", CommandArgument(1)),
                        Field("dir", ExeDir())});
  LoadSettings();
  Log().Write("settings", {Field("section", "RUN"), Field("memory", Memory),
                           Field("keepRunning", KeepRunning ? 1 : 0), Field("jarName", JarName)});
  if (FormUpdate == nullptr) FormUpdate = new TFormUpdate(this);  // owned by this form
  // May download and install a newer jar, with the wait window up, before the launch.
  FormUpdate->CheckForUpdate();
}

TFormSystem::~TFormSystem() {
  // The application goes on running; only the platform's hold on it is given back.
  platform::ReleaseProcess(ProcessInfo);
}

TNotifyEvent TFormSystem::FindMethod(std::string_view name) {
  if (name == "TimerLauncherTimer") {
    return [this](TComponent* sender) { TimerLauncherTimer(sender); };
  }
  if (name == "TimerTerminateTimer") {
    return [this](TComponent* sender) { TimerTerminateTimer(sender); };
  }
  return TForm::FindMethod(name);
}

void TFormSystem::LoadSettings() {
  try {
    TIniFile ini(ExeDir() + kSettingsFile);
    Memory = ini.ReadText("RUN", "memory", "128");
    KeepRunning = ini.ReadFlag("RUN", "keepRunning", false);
    JarName = ini.ReadText("RUN", "jarName", "AppRunner");
    ini.Close();
  } catch (...) {
    // What was read so far stays; the rest keeps its initial value.
    Log().Write("failure", {Field("step", "settings"), Field("error", CurrentExceptionText())});
  }
  // Both become part of the Java command and the jar's path: refused unless they are plain.
  CheckJarName(JarName);
  CheckMemory(Memory);
}

void TFormSystem::Launch(const std::string& argument) {
  const std::string exeDir = ExeDir();
  std::string jar = exeDir + JarName + ".jar";
  TimerLauncher->SetEnabled(false);
  try {
    const std::string java = exeDir + std::string(platform::JavaRuntimeRelativePath());
    if (FormUpdate != nullptr && FormUpdate->UseDownloadedJar()) jar = FormUpdate->JarFile;
    if (platform::FileExists(jar)) {
      platform::ProcessInfo started;
      const platform::ProcessCommand command = JavaCommand(java, Memory, jar, argument, exeDir);
      if (platform::StartProcess(command, started)) {
        platform::ReleaseProcess(ProcessInfo);  // the previous start has ended by now
        ProcessInfo = started;
        StartedJar = jar;
        StartedAt = std::chrono::steady_clock::now();
        EndSeen = false;
        Log().Write("java.start",
                    {Field("cmdline", command.commandLine), Field("pid", started.processId)});
      } else {
        Log().Write("java.failed", {Field("cmdline", command.commandLine)});
      }
    } else {
      Log().Write("java.missing", {Field("jar", jar)});
    }
  } catch (...) {
    Log().Write("failure", {Field("step", "launch"), Field("error", CurrentExceptionText())});
    // The watchdog is armed whatever happened: it sees a failed start as an ended application.
    TimerLauncher->SetEnabled(true);
    throw;
  }
  TimerLauncher->SetEnabled(true);
}

void TFormSystem::CheckApplication() {
  const WatchAction action = DecideWatch(platform::StillRunning(ProcessInfo), KeepRunning);
  if (action == WatchAction::kWait) return;
  // Ended, or never started.
  NoteEnd();
  if (action == WatchAction::kRestart) {
    Launch("app");
  } else {
    TimerTerminate->SetEnabled(true);
  }
}

void TFormSystem::NoteEnd() {
  if (EndSeen) return;
  EndSeen = true;
  // The end is seen at the watchdog's tick, so the run time is at most one tick long.
  const auto now = std::chrono::steady_clock::now();
  const std::optional<int> status =
      platform::WaitForExit(ProcessInfo, std::chrono::milliseconds(0));
  Log().Write(
      "java.end",
      {Field("pid", ProcessInfo.processId),
       Field("status", status ? std::to_string(*status) : std::string("unknown")),
       Field("ms",
             std::chrono::duration_cast<std::chrono::milliseconds>(now - StartedAt).count())});
  if (FormUpdate != nullptr) FormUpdate->NoteApplicationEnd(StartedJar, status, StartedAt, now);
}

void TFormSystem::TimerLauncherTimer(TComponent*) {
  CheckApplication();
}

void TFormSystem::TimerTerminateTimer(TComponent*) {
  // The updater form goes first, with a wait window it may still own.
  if (FormUpdate != nullptr) {
    delete FormUpdate;
    FormUpdate = nullptr;
  }
  TimerTerminate->SetEnabled(false);
  TimerLauncher->SetEnabled(false);
  Application->RequestTermination();
}

void RegisterLauncherResources() {
  FormDescription description;
  description.components = {
      {"TTimer",
       "TimerLauncher",
       {{"Enabled", false},
        {"Interval", std::int64_t{10000}},
        {"OnTimer", MethodRef{"TimerLauncherTimer"}}}},
      {"TTimer",
       "TimerTerminate",
       {{"Enabled", false},
        {"Interval", std::int64_t{2000}},
        {"OnTimer", MethodRef{"TimerTerminateTimer"}}}},
  };
  RegisterFormDescription("TFormSystem", std::move(description));
}

}  // namespace orvex
