#include "support/update_scenario.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iostream>
#include <thread>
#include <utility>
#include <vector>

#include "log/launcher_log.h"
#include "support/log_lines.h"
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

namespace {

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void Put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

std::string ZipArchive(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string archive;
  std::string directory;
  for (const auto& [name, bytes] : entries) {
    const auto offset = static_cast<std::uint32_t>(archive.size());
    const std::uint32_t crc = Crc32(bytes);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    const auto nameSize = static_cast<std::uint32_t>(name.size());
    // Local header: version 1.0, no flags, stored, DOS time 2020-01-01 00:00.
    Put32(archive, 0x04034b50);
    Put16(archive, 10);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, 0x5021);
    Put32(archive, crc);
    Put32(archive, size);
    Put32(archive, size);
    Put16(archive, nameSize);
    Put16(archive, 0);
    archive += name;
    archive += bytes;
    Put32(directory, 0x02014b50);
    Put16(directory, 20);
    Put16(directory, 10);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0x5021);
    Put32(directory, crc);
    Put32(directory, size);
    Put32(directory, size);
    Put16(directory, nameSize);
    Put16(directory, 0);  // extra
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, 0);  // external attributes
    Put32(directory, offset);
    directory += name;
  }
  const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
  archive += directory;
  Put32(archive, 0x06054b50);
  Put16(archive, 0);
  Put16(archive, 0);
  Put16(archive, static_cast<std::uint32_t>(entries.size()));
  Put16(archive, static_cast<std::uint32_t>(entries.size()));
  Put32(archive, static_cast<std::uint32_t>(directory.size()));
  Put32(archive, directoryOffset);
  Put16(archive, 0);
  return archive;
}

std::string JarBytes(int version) {
  std::string payload = "jar of version " + std::to_string(version) + "\n";
  payload.reserve(300 * 1024);
  for (int i = 0; payload.size() < 300 * 1024; ++i) {
    payload += std::to_string(version * 1000003 + i);
    payload += ' ';
  }
  return ZipArchive({{"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nImplementation-Version: " +
                                                  std::to_string(version) + "\r\n\r\n"},
                     {"payload.txt", payload}});
}

UpdateScenario::UpdateScenario() : userDataHome(userData.Path()) {
  install.ConfigureJava(std::chrono::milliseconds(0), 0);
}

std::filesystem::path UpdateScenario::DataDir() const {
  return userDataHome / ".AppRunner";
}

void UpdateScenario::Install(const std::string& url, int installedVersion, int appDataUpdate,
                             const std::string& moreUpdateSettings) const {
  install.WriteSettings(
      "[RUN]\nkeepRunning=0\n\n[UPDATE]\nappDataUpdate=" + std::to_string(appDataUpdate) +
      "\nurl=" + url + "\nversion=" + std::to_string(installedVersion) + "\n" + moreUpdateSettings);
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
  return {{WindowsTarget() ? "APPDATA" : "XDG_DATA_HOME", userDataHome.string()}};
}

std::size_t UpdateScenario::LogLinesWritten() const {
  return ReadLogLines(DataDir() / kLogFileName).size() +
         ReadLogLines(install.Path() / kLogFileName).size();
}

std::string UpdateScenario::RunUntilJavaStarts(std::chrono::seconds limit) const {
  for (int attempt = 1;; ++attempt) {
    const std::size_t before = install.JavaRuns().size();
    const std::size_t loggedBefore = LogLinesWritten();
    ChildProcess launcher({install.Launcher()}, Environment());
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (launcher.Started() && std::chrono::steady_clock::now() < deadline) {
      const auto runs = install.JavaRuns();
      if (runs.size() > before) {
        launcher.Kill();
        const std::string jar = StartedJar(runs.back());
        const std::string bytes = ReadFile(jar);
        if (bytes.empty()) {
          std::cerr << "Java was started with a jar that could not be read: \"" << jar
                    << "\"\ncommand line: " << runs.back().commandLine << "\n";
        }
        return bytes;
      }
      if (launcher.Wait(std::chrono::milliseconds(100)).has_value()) break;
    }
    // What a failing assertion on "nothing" needs to be understood.
    const auto code = launcher.Wait(std::chrono::milliseconds(0));
    const auto dataLog = ReadLogLines(DataDir() / kLogFileName);
    const auto installLog = ReadLogLines(install.Path() / kLogFileName);
    std::cerr << "no Java start seen; the launcher "
              << (!launcher.Started() ? std::string("did not start")
                  : code              ? "ended with code " + std::to_string(*code)
                                      : std::string("was still running"))
              << " after " << launcher.Elapsed().count() << " ms\n"
              << "data directory's " << DescribeLog(dataLog) << "installation's "
              << DescribeLog(installLog);
    // On a loaded Wine a new process now and then ends at once, before any of its work. A
    // launcher that ended without adding a line to its log is taken for such a failed process
    // start and started again, twice at most; each attempt is reported above.
    const bool neverRan =
        (!launcher.Started() || code) && dataLog.size() + installLog.size() == loggedBefore;
    if (!neverRan || attempt == 3) return {};
    std::cerr << "the launcher left no log line: starting it again\n";
  }
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

std::string TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

std::string JarOf(const std::string& bytes) {
  for (int version = 1; version <= 9; ++version) {
    if (bytes == JarBytes(version)) return Jar(version);
  }
  return bytes.empty() ? "nothing" : std::to_string(bytes.size()) + " bytes of something else";
}

std::string Jar(int version) {
  return "version " + std::to_string(version);
}

}  // namespace orvex::test
