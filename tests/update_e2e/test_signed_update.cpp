// Signed, digest-checked updates against the real nginx, with keys and signatures made by the
// trust_material fixture. An attacker on the path (a forged manifest, a jar that does not match
// its digest, a signature by another key) never gets a byte installed or a version recorded.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/trust_material.h"
#include "support/update_scenario.h"
#include "updater/digest_stream.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test::JarBytes;
using test::ReadFile;
using test::TestName;
using test::TrustMaterial;

// What the served files are made of, read when a case runs (the fixture makes them at the start
// of the run).
std::string Manifest() {
  return TrustMaterial("published/version.txt");
}
std::string ManifestSignature() {
  return TrustMaterial("published/version.txt.sig");
}
std::string PublishedJar() {
  return TrustMaterial("app.jar");
}
std::string FlippedJar() {
  std::string jar = PublishedJar();
  jar[jar.size() / 2] ^= 0x20;  // same size, other bytes
  return jar;
}

// Which jar the bytes are.
std::string JarOf(const std::string& bytes) {
  if (bytes == PublishedJar()) return "the published jar";
  return test::JarOf(bytes);
}

enum class Outcome {
  kInstalled,      // the published jar is installed, version 3 recorded and started
  kCheckFails,     // no remote version: the installation's own jar (version 1) starts
  kDownloadFails,  // checked, but the download is refused: the earlier update (2) starts
};

struct SignedCase {
  const char* name;
  const char* publicKey;  // file of the trust material set as publicKey; "" = setting absent
  std::function<void(const test::PublishedDir&)> publish;
  Outcome outcome;
};

void PrintTo(const SignedCase& c, std::ostream* out) {
  *out << c.name;
}

void Signed(const test::PublishedDir& server) {
  server.Put("version.txt", Manifest());
  server.Put("version.txt.sig", ManifestSignature());
  server.Put("AppRunner.tmp", PublishedJar());
}

class SignedUpdateTest : public ::testing::TestWithParam<SignedCase> {};

TEST_P(SignedUpdateTest, InstallsOnlyWhatVerifies) {
  const SignedCase& c = GetParam();
  test::PublishedDir server(TestName());
  c.publish(server);
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  scenario.PreviousUpdate(2);
  if (*c.publicKey) {
    scenario.install.WriteSettings("[RUN]\nkeepRunning=0\n\n[UPDATE]\nappDataUpdate=1\nurl=" +
                                   server.Url() + "\nversion=1\npublicKey=" + c.publicKey + "\n");
    if (fs::exists(test::TrustMaterialDir() / c.publicKey)) {
      test::WriteFile(scenario.install.Path() / c.publicKey, TrustMaterial(c.publicKey));
    }
  }

  const std::string started = JarOf(scenario.RunUntilJavaStarts());
  const fs::path data = scenario.DataDir();
  const std::string recorded = ReadFile(data / "setup.properties");
  EXPECT_FALSE(fs::exists(data / "AppRunner.jar.part"));
  switch (c.outcome) {
    case Outcome::kInstalled:
      EXPECT_EQ(started, "the published jar");
      EXPECT_EQ(JarOf(ReadFile(data / "AppRunner.jar")), "the published jar");
      EXPECT_NE(recorded.find("version=3"), std::string::npos) << recorded;
      break;
    case Outcome::kCheckFails:
    case Outcome::kDownloadFails:
      EXPECT_EQ(started, c.outcome == Outcome::kCheckFails ? "version 1" : "version 2");
      EXPECT_EQ(JarOf(ReadFile(data / "AppRunner.jar")), "version 2");
      EXPECT_NE(recorded.find("version=2"), std::string::npos) << recorded;
      // Refused bytes are not left lying around.
      EXPECT_FALSE(fs::exists(data / "AppRunner.tmp"));
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, SignedUpdateTest,
    ::testing::Values(
        SignedCase{"signed", "signer.pub", Signed, Outcome::kInstalled},
        SignedCase{"no_signature", "signer.pub",
                   [](const test::PublishedDir& s) {
                     s.Put("version.txt", Manifest());
                     s.Put("AppRunner.tmp", PublishedJar());
                   },
                   Outcome::kCheckFails},
        // The attacker's own manifest and jar beside the real signature.
        SignedCase{"forged_manifest", "signer.pub",
                   [](const test::PublishedDir& s) {
                     const std::string jar = JarBytes(9);
                     s.Put("version.txt", "9\nsize=" + std::to_string(jar.size()) + "\nsha256=" +
                                              Sha256Hex(jar.data(), jar.size()) + "\n");
                     s.Put("version.txt.sig", ManifestSignature());
                     s.Put("AppRunner.tmp", jar);
                   },
                   Outcome::kCheckFails},
        SignedCase{"signature_by_another_key", "signer.pub",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("version.txt.sig", TrustMaterial("published/version.txt.other.sig"));
                   },
                   Outcome::kCheckFails},
        SignedCase{"signature_of_another_text", "signer.pub",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("version.txt.sig", TrustMaterial("message.sig"));
                   },
                   Outcome::kCheckFails},
        SignedCase{"malformed_signature", "signer.pub",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("version.txt.sig", "not a signature");
                   },
                   Outcome::kCheckFails},
        SignedCase{"oversized_signature", "signer.pub",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("version.txt.sig", ManifestSignature() + std::string(4096, '\0'));
                   },
                   Outcome::kCheckFails},
        SignedCase{"signed_manifest_without_size_or_digest", "signer.pub",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("version.txt", TrustMaterial("bare.txt"));
                     s.Put("version.txt.sig", TrustMaterial("bare.txt.sig"));
                   },
                   Outcome::kCheckFails},
        SignedCase{"jar_not_matching_its_digest", "signer.pub",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("AppRunner.tmp", FlippedJar());
                   },
                   Outcome::kDownloadFails},
        SignedCase{"jar_longer_than_named", "signer.pub",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("AppRunner.tmp", PublishedJar() + "appended");
                   },
                   Outcome::kDownloadFails},
        SignedCase{"signed_size_not_the_jars", "signer.pub",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("version.txt", TrustMaterial("oversize.txt"));
                     s.Put("version.txt.sig", TrustMaterial("oversize.txt.sig"));
                   },
                   Outcome::kDownloadFails},
        SignedCase{"key_on_another_curve", "p384.pub", Signed, Outcome::kCheckFails},
        SignedCase{"rsa_key", "rsa.pub", Signed, Outcome::kCheckFails},
        SignedCase{"compressed_key", "compressed.pub", Signed, Outcome::kCheckFails},
        SignedCase{"key_file_not_a_key", "not-a-key.pub", Signed, Outcome::kCheckFails},
        SignedCase{"key_file_missing", "absent.pub", Signed, Outcome::kCheckFails},
        // Without publicKey: a size and digest are still checked when the manifest names them.
        SignedCase{"unsigned_with_digest", "", Signed, Outcome::kInstalled},
        SignedCase{"unsigned_digest_mismatch", "",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("AppRunner.tmp", FlippedJar());
                   },
                   Outcome::kDownloadFails},
        SignedCase{"unsigned_jar_shorter_than_named", "",
                   [](const test::PublishedDir& s) {
                     Signed(s);
                     s.Put("AppRunner.tmp", PublishedJar().substr(0, 200000));
                   },
                   Outcome::kDownloadFails},
        // An install without the new settings reads an old-style manifest as before; a signature
        // on the server is not even fetched.
        SignedCase{"unsigned_old_style", "",
                   [](const test::PublishedDir& s) {
                     s.Put("version.txt", "3\n");
                     s.Put("version.txt.sig", "not a signature");
                     s.Put("AppRunner.tmp", PublishedJar());
                   },
                   Outcome::kInstalled}),
    [](const ::testing::TestParamInfo<SignedCase>& info) { return info.param.name; });

}  // namespace
}  // namespace orvex
