#include <cstdint>
#include <memory>
#include <string>

#include "core/exception.h"
#include "http/net_http.h"
#include "log/launcher_log.h"
#include "platform/files.h"
#include "shell/application.h"
#include "shell/forms.h"
#include "stream/capped_stream.h"
#include "stream/stream.h"
#include "updater/digest_stream.h"
#include "updater/progress.h"
#include "updater/update_form.h"
#include "updater/update_lock.h"
#include "updater/update_log.h"
#include "updater/wait_form.h"
#include "updater/zip_check.h"

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

// The announced length read here from the header itself: the response's own field holds 32 bits
// only and takes a larger length for none. -1 when it is not a decimal number; a number too long
// for 64 bits counts as the largest length.
std::int64_t AnnouncedLength(const TNetHeaderList& headers) {
  std::string text = headers.Value("Content-Length");
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return -1;
  text = text.substr(first, text.find_last_not_of(" \t") + 1 - first);
  if (text.find_first_not_of("0123456789") != std::string::npos) return -1;
  const auto digits = text.find_first_not_of('0');
  if (digits == std::string::npos) return 0;
  if (text.size() - digits > 18) return INT64_MAX;
  return std::stoll(text.substr(digits));
}

// Refuses, before the body starts, a jar whose announced length is over the limit or over the
// free space of the data directory's disk. Installed on the client for one download only.
class AnnouncedSizeCheck {
 public:
  AnnouncedSizeCheck(TNetHTTP& client, std::int64_t limit, std::int64_t freeSpace)
      : client_(client) {
    client_.OnHeadersAvailable = [limit, freeSpace](TNetHTTP& sender, const TNetHeaderList& headers,
                                                    bool&) {
      if (sender.ResponseCode() / 100 != 2) return;
      const std::int64_t length = AnnouncedLength(headers);
      if (length > limit) {
        throw Exception("The update of " + std::to_string(length) + " bytes is larger than " +
                        std::to_string(limit) + " bytes");
      }
      if (freeSpace >= 0 && length > freeSpace) {
        throw Exception("The update of " + std::to_string(length) +
                        " bytes does not fit on the disk (" + std::to_string(freeSpace) +
                        " bytes free)");
      }
    };
  }
  ~AnnouncedSizeCheck() { client_.OnHeadersAvailable = nullptr; }
  AnnouncedSizeCheck(const AnnouncedSizeCheck&) = delete;
  AnnouncedSizeCheck& operator=(const AnnouncedSizeCheck&) = delete;

 private:
  TNetHTTP& client_;
};

// The body's size when the response announces it (Content-Length, not chunked); -1 otherwise.
std::int64_t KnownBodySize(TNetHTTP& client) {
  const TNetHeaderList& headers = client.Response().RawHeaders;
  if (headers.Value("Transfer-Encoding").find("chunked") != std::string::npos) return -1;
  return AnnouncedLength(headers);
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

void BoundDownload(TNetHTTP& client) {
  client.TotalTimeout = 0;
  client.MinimumRate = 1024;
  client.RateWindow = 60000;
}

void TFormUpdate::DownloadUpdate() {
  const std::string url = Url + JarName + ".tmp";
  auto start = std::chrono::steady_clock::now();
  std::int64_t written = 0;
  std::string status = "none";
  try {
    // Where others may write, they could swap the files between our checks and renames.
    if (!platform::DirectoryIsPrivate(DataDir)) return;
    TUpdateLock lock(LockFile);
    if (!lock.Held()) return;  // another launcher is updating: start the current jar
    WaitWindowScope wait(this);
    start = std::chrono::steady_clock::now();  // the transfer's time, without the window's
    FetchJar(written, status);
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

std::int64_t TFormUpdate::DownloadLimit() const {
  if (RemoteSize >= 0) return RemoteSize;
  return std::int64_t{MaxSizeMiB} * 1024 * 1024;
}

void TFormUpdate::FetchJar(std::int64_t& written, std::string& status) {
  const std::string url = Url + JarName + ".tmp";
  // A file left by a cut run, or a link planted in its place, goes first (a link is removed
  // itself): the download is then created afresh and never written through a link.
  platform::RemoveFile(TmpFile);
  try {
    {
      // The download itself need not reach the disk: only the copy made from it is published.
      TFileStream file(TmpFile, TFileStream::Mode::CreateNew);
      // The digest is taken as the bytes arrive, so the jar is never read a second time.
      TDigestStream digest(file);
      TCappedStream capped(digest, DownloadLimit());
      TProgressStream counted(capped, WaitWindowProgress(*NetHTTPClient, written));
      AnnouncedSizeCheck check(*NetHTTPClient, DownloadLimit(), platform::FreeDiskSpace(DataDir));
      BoundDownload(*NetHTTPClient);
      // Fails on anything short of a whole body, so a cut transfer is never installed.
      try {
        NetHTTPClient->Get(url, counted);
        status = ReplyStatus(*NetHTTPClient, nullptr);
      } catch (...) {
        status = ReplyStatus(*NetHTTPClient, std::current_exception());
        throw;
      }
      digest.Check(RemoteSize, RemoteSha256);
    }
    TFileStream jar(TmpFile, TFileStream::Mode::OpenRead);
    if (RemoteSize >= 0 && jar.Size() != RemoteSize) {
      throw Exception("The download has " + std::to_string(jar.Size()) + " bytes, not " +
                      std::to_string(RemoteSize));
    }
    // A body cut by the server's close passes for whole in HTTP: the archive's end says more.
    CheckWholeZipArchive(jar);
  } catch (...) {
    platform::RemoveFile(TmpFile);
    throw;
  }
}

void TFormUpdate::InstallUpdate() {
  try {
    // A missing jar has age -1, so a first installation always goes ahead.
    if (platform::FileAge(TmpFile) <= platform::FileAge(JarFile)) {
      Log().Write("install",
                  {Field("skipped", "download not newer than the jar"), Field("file", JarFile)});
      return;
    }
    // The new copy is made whole beside the jar first, so the jar is missing only between the
    // two renames below, never during the copy.
    platform::RemoveFile(PartFile);  // left over from an installation that was cut short
    const bool copied = platform::CopyWholeFile(TmpFile, PartFile);
    Log().Write("install", {Field("step", "copy"), Field("ok", copied ? 1 : 0),
                            Field("from", TmpFile), Field("to", PartFile)});
    if (!copied) {
      platform::RemoveFile(PartFile);
      return;
    }
    const bool hadJar = platform::FileExists(JarFile);
    if (hadJar) {
      // The backup rotates only when there is a jar to take its place.
      platform::RemoveFile(OldFile);
      const bool moved = platform::RenameFile(JarFile, OldFile);
      Log().Write("install", {Field("step", "backup"), Field("ok", moved ? 1 : 0),
                              Field("from", JarFile), Field("to", OldFile)});
      if (!moved) {
        platform::RemoveFile(PartFile);
        return;
      }
    }
    const bool placed = platform::RenameFile(PartFile, JarFile);
    Log().Write("install", {Field("step", "place"), Field("ok", placed ? 1 : 0),
                            Field("from", PartFile), Field("to", JarFile)});
    if (!placed) {
      if (hadJar) {
        const bool undone = platform::RenameFile(OldFile, JarFile);  // roll back
        Log().Write("install", {Field("step", "undo-backup"), Field("ok", undone ? 1 : 0)});
      }
      platform::RemoveFile(PartFile);
      return;
    }
    // The renames reach the disk before the version that depends on them is recorded.
    platform::FlushDirectory(DataDir);
    RecordInstall(hadJar, LocalVersion);
    LocalVersion = RemoteVersion;
    SaveLocalVersion();
    Log().Write("install", {Field("step", "record"), Field("version", LocalVersion)});
  } catch (...) {
    Log().Write("failure", {Field("step", "install"), Field("error", CurrentExceptionText())});
  }
}

bool TFormUpdate::UseDownloadedJar() const {
  return RemoteVersion > InstalledVersion && platform::FileExists(JarFile);
}

}  // namespace orvex
