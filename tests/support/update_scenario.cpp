#include "support/update_scenario.h"

#include <fstream>
#include <thread>

#include "support/process_runner.h"

namespace orvex::test {

namespace {

std::filesystem::path ServerDir() {
  // <build>/bin/<program> -> <build>/nginx
  return std::filesystem::path(ProgramPath("orvex-launcher")).parent_path().parent_path() / "nginx";
}

}  // namespace

PublishedDir::PublishedDir(const std::string& name) {
  const std::filesystem::path server = ServerDir();
  path_ = server / "root" / name;
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
  const std::string port = ReadFile(server / "port");
  url_ = "http://127.0.0.1:" + port.substr(0, port.find_first_of("\r\n")) + "/" + name + "/";
}

PublishedDir::~PublishedDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string PublishedDir::Url() const {
  return url_;
}

void PublishedDir::Put(const std::string& file, const std::string& bytes) const {
  WriteFile(path_ / file, bytes);
}

std::string JarBytes(int version) {
  std::string bytes = "PK jar of version " + std::to_string(version) + "\n";
  bytes.reserve(300 * 1024);
  for (int i = 0; bytes.size() < 300 * 1024; ++i) {
    bytes += std::to_string(version * 1000003 + i);
    bytes += ' ';
  }
  return bytes;
}

UpdateScenario::UpdateScenario() {
  install.ConfigureJava(std::chrono::milliseconds(0), 0);
}

std::filesystem::path UpdateScenario::DataDir() const {
  return userData.Path() / ".AppRunner";
}

void UpdateScenario::Install(const std::string& url, int installedVersion,
                             int appDataUpdate) const {
  install.WriteSettings(
      "[RUN]\nkeepRunning=0\n\n[UPDATE]\nappDataUpdate=" + std::to_string(appDataUpdate) +
      "\nurl=" + url + "\nversion=" + std::to_string(installedVersion) + "\n");
  WriteFile(install.Path() / "AppRunner.jar", JarBytes(installedVersion));
  // Installed an hour ago, so any download counts as newer.
  std::filesystem::last_write_time(
      install.Path() / "AppRunner.jar",
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
}

void UpdateScenario::PreviousUpdate(int version) const {
  std::filesystem::create_directories(DataDir());
  WriteFile(DataDir() / "AppRunner.jar", JarBytes(version));
  std::filesystem::last_write_time(
      DataDir() / "AppRunner.jar",
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  WriteFile(DataDir() / "setup.properties", "[UPDATE]\nversion=" + std::to_string(version) + "\n");
}

platform::EnvironmentOverrides UpdateScenario::Environment() const {
  return {{WindowsTarget() ? "APPDATA" : "XDG_DATA_HOME", userData.Path().string()}};
}

std::string UpdateScenario::RunUntilJavaStarts(std::chrono::seconds limit) const {
  const std::size_t before = install.JavaRuns().size();
  ChildProcess launcher({install.Launcher()}, Environment());
  if (!launcher.Started()) return {};
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    const auto runs = install.JavaRuns();
    if (runs.size() > before) {
      launcher.Kill();
      return ReadFile(StartedJar(runs.back()));
    }
    if (launcher.Wait(std::chrono::milliseconds(100)).has_value()) break;
  }
  return {};
}

std::string StartedJar(const JavaRun& run) {
  if (WindowsTarget()) {
    // The command line reads: "runtime" -Xmx...m -jar "jar" app "ExeDir"
    const std::string marker = " -jar \"";
    const auto at = run.commandLine.find(marker);
    if (at == std::string::npos) return {};
    const auto begin = at + marker.size();
    return run.commandLine.substr(begin, run.commandLine.find('"', begin) - begin);
  }
  return run.arguments.size() > 3 ? run.arguments[3] : std::string();
}

}  // namespace orvex::test
