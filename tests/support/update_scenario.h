#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/process.h"
#include "support/install_dir.h"
#include "support/temp_dir.h"

namespace orvex::test {

// The nginx of the test run (started by the update_server fixture): each test publishes into a
// directory of its own under the document root.
class PublishedDir {
 public:
  explicit PublishedDir(const std::string& name);
  ~PublishedDir();
  PublishedDir(const PublishedDir&) = delete;
  PublishedDir& operator=(const PublishedDir&) = delete;

  // The base URL that "setup.properties" names, ending in "/".
  std::string Url() const;
  void Put(const std::string& file, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
  std::string url_;
};

// A zip archive of stored entries (name, bytes), as a jar tool writes one.
std::string ZipArchive(const std::vector<std::pair<std::string, std::string>>& entries);

// The bytes of a jar of the given version: a real zip archive (a manifest and about 300 KiB of
// text that differs per version), large enough that a cut copy cannot pass for whole.
std::string JarBytes(int version);

// An install directory with the launcher and the stub Java, and a per-user data directory of its
// own (APPDATA on Windows, XDG_DATA_HOME on Linux).
class UpdateScenario {
 public:
  UpdateScenario();

  InstallDir install;
  TempDir userData{"orvex-userdata"};
  // The per-user data directory the launcher is given, inside userData (which may not exist).
  std::filesystem::path userDataHome;

  // The updater's data directory for the default jar name.
  std::filesystem::path DataDir() const;
  // Writes ExeDir's "setup.properties" (with `moreUpdateSettings`, lines ending in "\n", in its
  // [UPDATE] section) and the installation's own jar.
  void Install(const std::string& url, int installedVersion, int appDataUpdate = 1,
               const std::string& moreUpdateSettings = "") const;
  // Puts a jar of `version` into the data directory as an earlier update left it.
  void PreviousUpdate(int version) const;
  // Runs the launcher until the stub Java has been started, then ends it. Returns the bytes of
  // the jar that the Java runtime was given (empty when none was started).
  std::string RunUntilJavaStarts(std::chrono::seconds limit = std::chrono::seconds(60)) const;
  // The environment the launcher runs with.
  platform::EnvironmentOverrides Environment() const;

 private:
  // The lines of the launcher's logs, in the data directory and beside the launcher.
  std::size_t LogLinesWritten() const;
};

// The running test's name with every character but letters and digits made "_": a directory
// name of its own under the server's document root.
std::string TestName();
// Which jar the bytes are: "version N" (of JarBytes), "N bytes of something else" or "nothing".
std::string JarOf(const std::string& bytes);
// What JarOf says of JarBytes(version).
std::string Jar(int version);

// The jar path that one start of the stub Java was given.
std::string StartedJar(const JavaRun& run);

}  // namespace orvex::test
