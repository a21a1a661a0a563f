#include <memory>

#include "http/net_http.h"
#include "log/launcher_log.h"
#include "net/stream.h"
#include "platform/files.h"
#include "shell/application.h"
#include "shell/forms.h"
#include "updater/progress.h"
#include "updater/update_form.h"
#include "updater/update_log.h"
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

// The body's size when the response announces it (Content-Length, not chunked); -1 otherwise.
std::int64_t KnownBodySize(TNetHTTP& client) {
  TNetHTTPResponse& response = client.Response();
  if (!response.HasContentLength()) return -1;
  if (response.RawHeaders.Value("Transfer-Encoding").find("chunked") != std::string::npos)
    return -1;
  return response.ContentLength();
}

// Feeds the wait window's bar from the bytes written, at most ten repaints a second.
TProgressStream::Report WaitWindowProgress(TNetHTTP& client, std::int64_t& written) {
  auto throttle = std::make_shared<TRepaintThrottle>();
  return [&client, &written, throttle](std::int64_t position) {
    written = position;
    if (FormWait == nullptr) return;
    const std::int64_t total = KnownBodySize(client);
    if (total <= 0 || !throttle->Due(std::chrono::steady_clock::now())) return;
    try {
      FormWait->ShowProgress(position, total);
    } catch (...) {
      // The bar is a courtesy: a repaint that fails never fails the download.
    }
  };
}

}  // namespace

void TFormUpdate::DownloadUpdate() {
  const std::string url = Url + JarName + ".tmp";
  auto start = std::chrono::steady_clock::now();
  std::int64_t written = 0;
  std::string status = "none";
  try {
    WaitWindowScope wait(this);
    start = std::chrono::steady_clock::now();  // the transfer's time, without the window's
    // The download itself need not reach the disk: only the copy made from it is published.
    {
      TFileStream file(TmpFile, TFileStream::Mode::Create);
      TProgressStream counted(file, WaitWindowProgress(*NetHTTPClient, written));
      // Fails on anything short of a whole body, so a cut transfer is never installed.
      try {
        NetHTTPClient->Get(url, counted);
        status = ReplyStatus(*NetHTTPClient, nullptr);
      } catch (...) {
        status = ReplyStatus(*NetHTTPClient, std::current_exception());
        throw;
      }
    }
    const std::int64_t ms = MillisecondsSince(start);
    Log().Write("download", {Field("url", MaskUrlPassword(url)), Field("status", status),
                             Field("bytes", written), Field("ms", ms),
                             Field("KiBps", KiBPerSecond(written, ms)), Field("ok", 1)});
    InstallUpdate();
  } catch (...) {
    // A failed download installs nothing; the launch goes on with the jar the rules select.
    const std::int64_t ms = MillisecondsSince(start);
    Log().Write("download", {Field("url", MaskUrlPassword(url)), Field("status", status),
                             Field("bytes", written), Field("ms", ms),
                             Field("KiBps", KiBPerSecond(written, ms)), Field("ok", 0),
                             Field("error", CurrentExceptionText())});
  }
}

void TFormUpdate::InstallUpdate() {
  try {
    if (!platform::FileExists(TmpFile)) {
      Log().Write("install", {Field("skipped", "no download"), Field("file", TmpFile)});
      return;
    }
    // A missing jar has age -1, so a first installation always goes ahead.
    if (platform::FileAge(TmpFile) <= platform::FileAge(JarFile)) {
      Log().Write("install",
                  {Field("skipped", "download not newer than the jar"), Field("file", JarFile)});
      return;
    }
    platform::RemoveFile(OldFile);
    const bool moved = platform::RenameFile(JarFile, OldFile);
    Log().Write("install", {Field("step", "backup"), Field("ok", moved ? 1 : 0),
                            Field("from", JarFile), Field("to", OldFile)});
    const bool copied = CopyIntoPlace(TmpFile, JarFile);
    Log().Write("install", {Field("step", "copy"), Field("ok", copied ? 1 : 0),
                            Field("from", TmpFile), Field("to", JarFile)});
    if (moved && !copied) {
      const bool undone = platform::RenameFile(OldFile, JarFile);  // roll back
      Log().Write("install", {Field("step", "undo-backup"), Field("ok", undone ? 1 : 0)});
    }
    if (copied) {
      RecordInstall(moved, LocalVersion);
      LocalVersion = RemoteVersion;
      SaveLocalVersion();
      Log().Write("install", {Field("step", "record"), Field("version", LocalVersion)});
    }
  } catch (...) {
    Log().Write("failure", {Field("step", "install"), Field("error", CurrentExceptionText())});
  }
}

bool TFormUpdate::UseDownloadedJar() const {
  return RemoteVersion > InstalledVersion && platform::FileExists(JarFile);
}

}  // namespace orvex
