#include "log/launcher_log.h"
#include "platform/files.h"
#include "settings/ini_file.h"
#include "updater/update_form.h"

namespace orvex {

namespace {

const char kSettingsFile[] = "setup.properties";

const char* VerdictName(StartVerdict verdict) {
  switch (verdict) {
    case StartVerdict::NotWatched:
      return "not-watched";
    case StartVerdict::Proven:
      return "proven";
    case StartVerdict::Bad:
      return "early-failure";
    case StartVerdict::RollBack:
      return "roll-back";
  }
  return "";
}

}  // namespace

void TFormUpdate::LoadRollbackState() {
  try {
    TIniFile ini(DataDir + kSettingsFile);
    FailedVersion = ini.ReadNumber("UPDATE", "failedVersion", -1);
    BackupVersion = ini.ReadNumber("UPDATE", "backupVersion", -1);
    Watch.watchedVersion = ini.ReadNumber("UPDATE", "watchedVersion", -1);
    Watch.badStarts = ini.ReadNumber("UPDATE", "badStarts", 0);
    ini.Close();
  } catch (...) {
    Log().Write("failure",
                {Field("step", "load-rollback-state"), Field("error", CurrentExceptionText())});
  }
}

void TFormUpdate::SaveRollbackState() {
  try {
    TIniFile ini(DataDir + kSettingsFile);
    ini.WriteNumber("UPDATE", "failedVersion", FailedVersion);
    ini.WriteNumber("UPDATE", "backupVersion", BackupVersion);
    ini.WriteNumber("UPDATE", "watchedVersion", Watch.watchedVersion);
    ini.WriteNumber("UPDATE", "badStarts", Watch.badStarts);
    ini.Close();
  } catch (...) {
    Log().Write("failure",
                {Field("step", "save-rollback-state"), Field("error", CurrentExceptionText())});
  }
}

void TFormUpdate::RecordInstall(bool backupMade, std::int32_t previousVersion) {
  BackupVersion = backupMade ? previousVersion : -1;
  Watch = WatchState{RemoteVersion, 0};
  SaveRollbackState();
  Log().Write("install", {Field("step", "watch"), Field("version", RemoteVersion),
                          Field("backupVersion", BackupVersion)});
}

void TFormUpdate::NoteApplicationEnd(const std::string& startedJar, std::optional<int> exitStatus,
                                     std::chrono::steady_clock::time_point started,
                                     std::chrono::steady_clock::time_point ended) {
  try {
    const std::int32_t startedVersion = startedJar == JarFile ? LocalVersion : -1;
    const StartJudgement judged =
        JudgeEndedStart(Watch, startedVersion, exitStatus, started, ended);
    if (judged.verdict == StartVerdict::NotWatched) return;
    Log().Write("watch", {Field("version", Watch.watchedVersion),
                          Field("verdict", VerdictName(judged.verdict)),
                          Field("badStarts", judged.next.badStarts)});
    if (judged.verdict == StartVerdict::RollBack) {
      RollBack();
      return;
    }
    Watch = judged.next;
    SaveRollbackState();
  } catch (...) {
    Log().Write("failure", {Field("step", "watch"), Field("error", CurrentExceptionText())});
  }
}

void TFormUpdate::RollBack() {
  try {
    const std::int32_t failed = LocalVersion;
    const bool backup = BackupVersion != -1 && platform::FileExists(OldFile);
    Log().Write("rollback", {Field("step", "start"), Field("failedVersion", failed),
                             Field("backupVersion", backup ? BackupVersion : -1)});
    // Two renames, as the install makes them: the failed jar goes aside first, so a crash in
    // between leaves no data-directory jar and the installation's own jar starts.
    platform::RemoveFile(FailedFile);  // the jar of an earlier roll-back
    if (!platform::RenameFile(JarFile, FailedFile)) {
      Log().Write("rollback", {Field("step", "set-aside"), Field("ok", 0), Field("from", JarFile),
                               Field("to", FailedFile)});
      return;  // the watch stays: the next early failure tries again
    }
    Log().Write("rollback", {Field("step", "set-aside"), Field("ok", 1), Field("from", JarFile),
                             Field("to", FailedFile)});
    bool restored = false;
    if (backup) {
      restored = platform::RenameFile(OldFile, JarFile);
      Log().Write("rollback", {Field("step", "restore"), Field("ok", restored ? 1 : 0),
                               Field("from", OldFile), Field("to", JarFile)});
    }
    FailedVersion = failed;
    // Without a backup the data directory holds no jar: its version says nothing newer than
    // the installation's, and the installation's own jar starts, as on an offline start.
    LocalVersion = restored ? BackupVersion : InstalledVersion;
    if (restored) BackupVersion = -1;
    Watch = WatchState{};
    SaveRollbackState();
    SaveLocalVersion();
    Log().Write("rollback", {Field("step", "record"), Field("version", LocalVersion),
                             Field("failedVersion", FailedVersion)});
  } catch (...) {
    Log().Write("failure", {Field("step", "rollback"), Field("error", CurrentExceptionText())});
  }
}

}  // namespace orvex
