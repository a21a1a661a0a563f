// The manifest's trust: the signature over "version.txt" when a public key is set.
#include <span>

#include "http/net_http.h"
#include "shell/command_line.h"
#include "core/exception.h"
#include "stream/bounded_memory_stream.h"
#include "updater/manifest.h"
#include "updater/signature.h"
#include "updater/update_form.h"

namespace orvex {

std::int32_t TFormUpdate::AcceptManifest(const std::string& text) {
  if (!PublicKey.empty()) {
    const P256PublicKey key = LoadP256PublicKey(ExeDir() + PublicKey);
    TBoundedMemoryStream signature(kMaxSignatureSize);
    NetHTTPClient->Get(Url + "version.txt.sig", signature);
    // Over the exact bytes served: nothing is read from the text before this.
    VerifyP256Signature(key, text, std::span(signature.Bytes()), "version.txt");
  }
  const Manifest manifest = ParseManifest(text);
  if (!PublicKey.empty() && (manifest.size < 0 || manifest.sha256.empty())) {
    throw Exception("The signed version.txt names no size or no sha256 of the jar");
  }
  RemoteSize = manifest.size;
  RemoteSha256 = manifest.sha256;
  return manifest.version;
}

}  // namespace orvex
