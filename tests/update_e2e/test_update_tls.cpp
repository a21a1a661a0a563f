// Updates over https:// from the test run's nginx, with the company's CA beside the launcher.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "support/tls_server.h"
#include "support/update_scenario.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test::JarBytes;
using test::ReadFile;
using test::TestName;

// `caFile` names a file beside the launcher ("" leaves the key out); the test CA is copied there
// as "company-ca.pem".
void InstallWithCa(const test::UpdateScenario& scenario, const std::string& url,
                   const std::string& caFile) {
  scenario.Install(url, 1);
  fs::copy_file(test::TestCertificates() / "ca.pem", scenario.install.Path() / "company-ca.pem");
  std::string settings = ReadFile(scenario.install.Path() / "setup.properties");
  if (!caFile.empty()) settings += "caFile=" + caFile + "\n";
  scenario.install.WriteSettings(settings);
}

TEST(UpdateTlsTest, UpdatesOverHttpsTrustingTheCaFile) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\n");
  server.Put("AppRunner.tmp", JarBytes(2));
  test::UpdateScenario scenario;
  InstallWithCa(scenario, test::HttpsUrl(server), "company-ca.pem");

  EXPECT_EQ(scenario.RunUntilJavaStarts(), JarBytes(2));
  EXPECT_EQ(ReadFile(scenario.DataDir() / "AppRunner.jar"), JarBytes(2));
  EXPECT_NE(ReadFile(scenario.DataDir() / "setup.properties").find("version=2"), std::string::npos);
}

// Each is a failed check: the installation's jar starts, nothing is downloaded or recorded.
struct Untrusted {
  const char* name;
  const char* certificate;
  const char* caFile;
};

void PrintTo(const Untrusted& u, std::ostream* out) {
  *out << u.name;
}

class UntrustedServerTest : public ::testing::TestWithParam<Untrusted> {};

TEST_P(UntrustedServerTest, InstallsNothing) {
  const Untrusted& u = GetParam();
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\n");
  server.Put("AppRunner.tmp", JarBytes(2));
  test::UpdateScenario scenario;
  InstallWithCa(scenario, test::HttpsUrl(server, u.certificate), u.caFile);

  EXPECT_EQ(scenario.RunUntilJavaStarts(), JarBytes(1));
  EXPECT_FALSE(fs::exists(scenario.DataDir() / "AppRunner.tmp"));
  EXPECT_FALSE(fs::exists(scenario.DataDir() / "AppRunner.jar"));
  EXPECT_FALSE(fs::exists(scenario.DataDir() / "setup.properties"));
}

INSTANTIATE_TEST_SUITE_P(
    Servers, UntrustedServerTest,
    ::testing::Values(Untrusted{"certificate_from_another_ca", "unknown", "company-ca.pem"},
                      Untrusted{"expired_certificate", "expired", "company-ca.pem"},
                      // The test CA is in no system store.
                      Untrusted{"no_ca_file", "good", ""},
                      // Named but missing: never a fall-back to the system's store.
                      Untrusted{"missing_ca_file", "good", "missing.pem"}),
    [](const ::testing::TestParamInfo<Untrusted>& info) { return info.param.name; });

}  // namespace
}  // namespace orvex
