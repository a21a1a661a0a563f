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
  // Takes the text of "version.txt" as the manifest: with PublicKey set, only once the signature
  // "version.txt.sig" verifies and the text names the jar's size and digest. Sets RemoteSize and
  // RemoteSha256 and returns the published version; raises Exception on any failure.
  std::int32_t AcceptManifest(const std::string& text);
  // Under the data directory's lock: downloads the jar, checks it and installs it. Any failure
  // installs nothing and leaves no download behind.
  void DownloadUpdate();
  // Downloads into TmpFile (created afresh) within DownloadLimit(); raises unless the file is a
  // whole zip archive of the announced size. A failed download's file is removed.
  // `written` follows the bytes as they arrive and `status` is the reply's, for the log.
  void FetchJar(std::int64_t& written, std::string& status);
  // The most the jar may take: the manifest's size when there is one, else maxSize.
  std::int64_t DownloadLimit() const;
  // Copies TmpFile beside the jar, then replaces the jar by two renames and records the version.
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
  // The jar's size and SHA-256 (lowercase hexadecimal) as the manifest names them: -1 and empty
  // when it does not. A download must match both before it is installed.
  std::int64_t RemoteSize = -1;
  std::string RemoteSha256;
  std::int32_t LocalVersion = 0;
  std::int32_t InstalledVersion = 0;
  std::int32_t AppDataUpdate = 0;
  // [UPDATE] maxSize: the cap on a jar of unannounced size, in MiB.
  std::int32_t MaxSizeMiB = 1024;
  std::string TmpFile;
  std::string PartFile;
  std::string LockFile;
  std::string JarName;
  std::string JarFile;
  std::string OldFile;
  std::string DataDir;
  std::string Url;
  // Setting publicKey: a PEM ECDSA P-256 public key file in ExeDir; empty when not set.
  std::string PublicKey;
  std::int32_t FailedVersion = -1;  // rolled back once: never downloaded again
  std::int32_t BackupVersion = -1;  // the version in OldFile; -1 when unknown or none
  WatchState Watch;
  std::string FailedFile;  // DataDir + JarName + ".failed": where a rolled-back jar goes
};

// The bounds of the updater's two requests, set on its client before each: the version check
// ends within 60 s of its start whatever the server sends; the jar fails when fewer than 1 KiB
// arrive in any 60 s (a slow link still finishes, a drip does not).
void BoundVersionCheck(TNetHTTP& client);
void BoundDownload(TNetHTTP& client);

// The updater's form description: NetHTTPClient with its stored settings.
void RegisterUpdaterResources();

}  // namespace orvex
