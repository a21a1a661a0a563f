#pragma once

#include <filesystem>
#include <string>

#include "net/tls_layer.h"
#include "support/update_scenario.h"

namespace orvex::test {

// The TLS ports of the test run's nginx (the update_server fixture) and the certificates made
// for them (tests/support/make_certs.sh), all under the build directory.
std::filesystem::path TestCertificates();
// "https://localhost:PORT" of the port serving the certificate `name`: "good" (from the test
// CA), "unknown" (another CA), "wrongname" (other.example), "expired".
std::string NginxTlsOrigin(const std::string& name);
// "http://127.0.0.1:PORT" of the plain port.
std::string NginxPlainOrigin();
// The test CA as trust anchors.
TNetTrustAnchors TestCaAnchors();
// The published directory's base URL over TLS on the port serving `certificate`.
std::string HttpsUrl(const PublishedDir& dir, const std::string& certificate = "good");

}  // namespace orvex::test
