#include "support/tls_server.h"

#include "core/pem.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"

namespace orvex::test {

namespace {

std::filesystem::path BuildDir() {
  // <build>/bin/<program> -> <build>
  return std::filesystem::path(ProgramPath("orvex-launcher")).parent_path().parent_path();
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

std::filesystem::path TestCertificates() {
  return BuildDir() / "tls";
}

std::string NginxTlsOrigin(const std::string& name) {
  return "https://localhost:" + FirstLine(ReadFile(BuildDir() / "nginx" / ("tls_port_" + name)));
}

std::string NginxPlainOrigin() {
  return "http://127.0.0.1:" + FirstLine(ReadFile(BuildDir() / "nginx" / "port"));
}

TNetTrustAnchors TestCaAnchors() {
  return DecodePemBlocks(ReadFile(TestCertificates() / "ca.pem"), "CERTIFICATE");
}

std::string HttpsUrl(const PublishedDir& dir, const std::string& certificate) {
  // "http://127.0.0.1:PORT/name/" -> "https://localhost:TLSPORT/name/"
  const std::string url = dir.Url();
  return NginxTlsOrigin(certificate) + url.substr(url.find('/', std::string("http://").size()));
}

}  // namespace orvex::test
