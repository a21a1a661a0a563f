#include "http/net_http.h"
#include "net/stream.h"
#include "platform/files.h"
#include "shell/application.h"
#include "shell/forms.h"
#include "updater/digest_stream.h"
#include "updater/update_form.h"
#include "updater/wait_form.h"

namespace orvex {

namespace {

// The wait window for the length of a download: shown and painted once on creation (the thread
// then blocks in the transfer), destroyed on every way out.
class WaitWindowScope {
 public:
  explicit WaitWindowScope(TFormUpdate* owner) {
    FormWait = nullptr;
    FormWait = new TFormWait(owner);  // owned by the updater form
    FormWait->Show();
    Application->ProcessPendingEvents();
  }
  ~WaitWindowScope() {
    delete FormWait;
    FormWait = nullptr;
  }
  WaitWindowScope(const WaitWindowScope&) = delete;
  WaitWindowScope& operator=(const WaitWindowScope&) = delete;
};

// Copies `from` to `to` so that `to` is either missing or whole: the copy is written beside it
// under another name, flushed, and only then moved into place, never replacing a file that is
// there. Fails when `to` exists.
bool CopyIntoPlace(const std::string& from, const std::string& to) {
  const std::string part = to + ".part";
  platform::RemoveFile(part);  // left over from an installation that was cut short
  if (platform::FileExists(to)) return false;
  if (!platform::CopyWholeFile(from, part)) {
    platform::RemoveFile(part);
    return false;
  }
  if (!platform::RenameFile(part, to)) {
    platform::RemoveFile(part);
    return false;
  }
  return true;
}

}  // namespace

void TFormUpdate::DownloadUpdate() {
  try {
    WaitWindowScope wait(this);
    // The download itself need not reach the disk: only the copy made from it is published.
    try {
      TFileStream file(TmpFile, TFileStream::Mode::Create);
      // The digest is taken as the bytes arrive, so the jar is never read a second time.
      TDigestStream jar(file);
      // Fails on anything short of a whole body, so a cut transfer is never installed.
      NetHTTPClient->Get(Url + JarName + ".tmp", jar);
      jar.Check(RemoteSize, RemoteSha256);
    } catch (...) {
      // Bytes that failed their check (or never arrived whole) are not kept (the file is closed
      // by now, so it can be removed on Windows too).
      platform::RemoveFile(TmpFile);
      throw;
    }
    InstallUpdate();
  } catch (...) {
    // A failed download installs nothing; the launch goes on with the jar the rules select.
  }
}

void TFormUpdate::InstallUpdate() {
  try {
    if (!platform::FileExists(TmpFile)) return;
    // A missing jar has age -1, so a first installation always goes ahead.
    if (platform::FileAge(TmpFile) <= platform::FileAge(JarFile)) return;
    platform::RemoveFile(OldFile);
    const bool moved = platform::RenameFile(JarFile, OldFile);
    const bool copied = CopyIntoPlace(TmpFile, JarFile);
    if (moved && !copied) platform::RenameFile(OldFile, JarFile);  // roll back
    if (copied) {
      LocalVersion = RemoteVersion;
      SaveLocalVersion();
    }
  } catch (...) {
  }
}

bool TFormUpdate::UseDownloadedJar() const {
  return RemoteVersion > InstalledVersion && platform::FileExists(JarFile);
}

}  // namespace orvex
