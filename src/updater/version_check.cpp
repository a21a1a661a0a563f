#include "http/net_http.h"
#include "log/launcher_log.h"
#include "stream/bounded_memory_stream.h"
#include "updater/update_form.h"
#include "updater/update_log.h"
#include "updater/update_rule.h"
#include "updater/version_text.h"

namespace orvex {

void BoundVersionCheck(TNetHTTP& client) {
  client.TotalTimeout = 60000;
  client.MinimumRate = 0;
}

void TFormUpdate::CheckForUpdate() {
  if (Url == "0" || Url == "") return;  // updating is off
  FetchRemoteVersion();
  switch (DecideUpdate(RemoteVersion, LocalVersion, InstalledVersion, FailedVersion)) {
    case UpdateDecision::kNone:
      break;
    case UpdateDecision::kRolledBackOnce:
      Log().Write("download",
                  {Field("skipped", "rolled back before"), Field("version", RemoteVersion)});
      break;
    case UpdateDecision::kDownload:
      DownloadUpdate();
      break;
  }
}

void TFormUpdate::FetchRemoteVersion() {
  RemoteVersion = -1;
  RemoteSize = -1;
  RemoteSha256.clear();
  const auto start = std::chrono::steady_clock::now();
  std::int64_t bytes = 0;
  std::string status = "none";
  std::exception_ptr failure;
  try {
    TBoundedMemoryStream buffer(kMaxVersionTextSize);
    try {
      BoundVersionCheck(*NetHTTPClient);
      NetHTTPClient->Get(Url + "version.txt", buffer);
      status = ReplyStatus(*NetHTTPClient, nullptr);
    } catch (...) {
      status = ReplyStatus(*NetHTTPClient, std::current_exception());
      bytes = buffer.Size();
      throw;
    }
    bytes = buffer.Size();
    RemoteVersion = AcceptManifest(buffer.Text());
  } catch (...) {
    // Unreachable server, error status, oversized or malformed text, a signature that does not
    // verify: no remote version.
    failure = std::current_exception();
  }
  LogFields fields = {Field("url", MaskUrlPassword(Url + "version.txt")),
                      Field("status", status),
                      Field("remote", RemoteVersion),
                      Field("local", LocalVersion),
                      Field("installed", InstalledVersion),
                      Field("bytes", bytes),
                      Field("ms", MillisecondsSince(start))};
  if (failure) fields.push_back(Field("error", ExceptionText(failure)));
  Log().Write("check", fields);
}

}  // namespace orvex
