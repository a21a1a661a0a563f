#include "http/net_http.h"
#include "stream/bounded_memory_stream.h"
#include "updater/update_form.h"
#include "updater/version_text.h"

namespace orvex {

void BoundVersionCheck(TNetHTTP& client) {
  client.TotalTimeout = 60000;
  client.MinimumRate = 0;
}

void TFormUpdate::CheckForUpdate() {
  if (Url == "0" || Url == "") return;  // updating is off
  FetchRemoteVersion();
  if (RemoteVersion != -1 && RemoteVersion > LocalVersion && RemoteVersion > InstalledVersion) {
    DownloadUpdate();
  }
}

void TFormUpdate::FetchRemoteVersion() {
  RemoteVersion = -1;
  RemoteSize = -1;
  RemoteSha256.clear();
  try {
    TBoundedMemoryStream buffer(kMaxVersionTextSize);
    BoundVersionCheck(*NetHTTPClient);
    NetHTTPClient->Get(Url + "version.txt", buffer);
    RemoteVersion = AcceptManifest(buffer.Text());
  } catch (...) {
    // Unreachable server, error status, oversized or malformed text, a signature that does not
    // verify: no remote version.
  }
}

}  // namespace orvex
