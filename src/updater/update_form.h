#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "shell/form.h"
#include "updater/rollback_rule.h"

namespace orvex {

class TNetHTTP;

// Keeps the application's jar up to date from the update server: reads the update settings,
// picks the per-user data directory, checks "version.txt", downloads a newer jar and swaps it in.
// Never shown; owned by the launcher form for the whole run.
class TFormUpdate : public TForm {
 public:
  explicit TFormUpdate(TComponent* owner);

  void LoadSettings();
  void ChooseDataDir();
  void UseAppDataDir();
  void LoadLocalVersion();
  void SaveLocalVersion();

  // Fetches the published version and downloads it when it is newer than both the data
  // directory's and the installation's version.
  void CheckForUpdate();
  void FetchRemoteVersion();
  void DownloadUpdate();
  void InstallUpdate();
  // Whether the launcher should start JarFile instead of the installation's jar.
  bool UseDownloadedJar() const;

  // Roll-back of a freshly installed version that will not start (rollback.cpp). The state
  // lives in DataDir's settings file beside `version`.
  void LoadRollbackState();
  void SaveRollbackState();
  // Called by the install once JarFile holds RemoteVersion: the backup's version (when one was
  // made) and the start of the watch.
  void RecordInstall(bool backupMade, std::int32_t previousVersion);
  // The application started from `startedJar` has ended: counts an early failure of the
  // watched version and rolls it back on the last one.
  void NoteApplicationEnd(const std::string& startedJar, std::optional<int> exitStatus,
                          std::chrono::steady_clock::time_point started,
                          std::chrono::steady_clock::time_point ended);
  // Puts the backup (OldFile) back in JarFile's place, the failed jar aside as FailedFile.
  void RollBack();

  TNetHTTP* NetHTTPClient = nullptr;

  std::int32_t RemoteVersion = 0;  // -1 when the last fetch failed; 0 until the first fetch
  std::int32_t LocalVersion = 0;
  std::int32_t InstalledVersion = 0;
  std::int32_t AppDataUpdate = 0;
  std::string TmpFile;
  std::string JarName;
  std::string JarFile;
  std::string OldFile;
  std::string DataDir;
  std::string Url;
  std::int32_t FailedVersion = -1;  // rolled back once: never downloaded again
  std::int32_t BackupVersion = -1;  // the version in OldFile; -1 when unknown or none
  WatchState Watch;
  std::string FailedFile;  // DataDir + JarName + ".failed": where a rolled-back jar goes
};

// The updater's form description: NetHTTPClient with its stored settings.
void RegisterUpdaterResources();

}  // namespace orvex
