#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/process.h"
#include "support/temp_dir.h"

namespace orvex::test {

// One start of the stub Java as it recorded itself.
struct JavaRun {
  std::string commandLine;
  std::vector<std::string> arguments;  // argv[0] first
  std::vector<std::string> handles;    // "<value> open|closed" for each probed handle
};

// A temporary install directory holding the built launcher and the stub Java in the place of
// the private runtime (jre/bin/java, or jre\bin\javaw.exe).
class InstallDir {
 public:
  // `name` is the install directory's own name inside a fresh temporary directory.
  explicit InstallDir(const std::string& name = "install");

  // The directory as the launcher sees its ExeDir (with the trailing separator).
  std::string Dir() const;
  const std::filesystem::path& Path() const { return path_; }
  std::string Launcher() const;
  std::string JavaRuntime() const;

  void WriteSettings(const std::string& text) const;
  void CreateJar(const std::string& name = "AppRunner") const;
  // How the stub Java behaves when started.
  void ConfigureJava(std::chrono::milliseconds delay, int exitCode) const;
  // Makes the stub Java exit at once with `exitCode` when given a jar holding the same bytes
  // as `jar` (after ConfigureJava, which it extends).
  void FailJavaFor(const std::filesystem::path& jar, int exitCode) const;
  std::vector<JavaRun> JavaRuns() const;

  // The environment a launcher of this install runs with: its per-user data directory inside
  // the temporary directory, so no test leaves an updater directory in the user's profile.
  platform::EnvironmentOverrides Environment() const;

  const TempDir& Parent() const { return parent_; }

 private:
  TempDir parent_;
  std::filesystem::path path_;
  std::filesystem::path record_;
};

}  // namespace orvex::test
