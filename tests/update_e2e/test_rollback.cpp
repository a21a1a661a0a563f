// A freshly installed version whose application fails at once on its first two starts is
// replaced by the backup again and not fetched again; a later version is. The stub Java fails
// (exit 3) for the bytes of one version only.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/log_lines.h"
#include "support/process_runner.h"
#include "support/update_scenario.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::Jar;
using test::JarBytes;
using test::JarOf;
using test::ReadFile;
using test::TestName;

// The settings of a scenario's install with the application restarted whenever it ends.
void KeepRunning(const test::UpdateScenario& scenario, const std::string& url) {
  scenario.install.WriteSettings("[RUN]\nkeepRunning=1\n\n[UPDATE]\nappDataUpdate=1\nurl=" + url +
                                 "\nversion=1\n");
}

// Runs the launcher until the stub Java has been started `count` times (the watchdog restarts
// it every 10 s), then ends the launcher. The jars started, in order, each read as soon as its
// start shows (a roll-back moves them 10 s later).
std::vector<std::string> RunForStarts(const test::UpdateScenario& scenario, std::size_t count) {
  const std::size_t before = scenario.install.JavaRuns().size();
  test::ChildProcess launcher({scenario.install.Launcher()}, scenario.Environment());
  EXPECT_TRUE(launcher.Started());
  std::vector<std::string> jars;
  const auto deadline = std::chrono::steady_clock::now() + 30s + count * 12s;
  while (std::chrono::steady_clock::now() < deadline && jars.size() < count) {
    const auto runs = scenario.install.JavaRuns();
    for (std::size_t i = before + jars.size(); i < runs.size(); ++i) {
      jars.push_back(JarOf(ReadFile(test::StartedJar(runs[i]))));
    }
    if (jars.size() < count && launcher.Wait(50ms).has_value()) break;
  }
  launcher.Kill();
  return jars;
}

std::string UpdateKey(const fs::path& dir, const std::string& key) {
  const std::string text = ReadFile(dir / "setup.properties");
  const auto at = text.find("\n" + key + "=");
  if (at == std::string::npos) return "<missing>";
  const auto begin = at + key.size() + 2;
  return text.substr(begin, text.find_first_of("\r\n", begin) - begin);
}

TEST(RollbackTest, ACrashingVersionIsRolledBackAndNotFetchedAgainWhileALaterOneIs) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "3\n");
  server.Put("AppRunner.tmp", JarBytes(3));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  KeepRunning(scenario, server.Url());
  scenario.PreviousUpdate(2);
  test::WriteFile(scenario.userData.Path() / "crashing.jar", JarBytes(3));
  scenario.install.FailJavaFor(scenario.userData.Path() / "crashing.jar", 3);
  const fs::path data = scenario.DataDir();

  // Installed, fails twice at once, and the backup (version 2) is started by the watchdog.
  EXPECT_EQ(RunForStarts(scenario, 3), (std::vector<std::string>{Jar(3), Jar(3), Jar(2)}));
  EXPECT_EQ(JarOf(ReadFile(data / "AppRunner.jar")), Jar(2));
  EXPECT_EQ(JarOf(ReadFile(data / "AppRunner.failed")), Jar(3));
  EXPECT_FALSE(fs::exists(data / "AppRunner.old"));
  EXPECT_EQ(UpdateKey(data, "version"), "2");
  EXPECT_EQ(UpdateKey(data, "failedVersion"), "3");
  EXPECT_EQ(UpdateKey(data, "watchedVersion"), "-1");

  const auto lines = test::ReadLogLines(data / "orvex-launcher.log");
  const std::string log = test::DescribeLog(lines);
  const auto ends = test::EventsOf(lines, "java.end");
  ASSERT_GE(ends.size(), 2u) << log;
  EXPECT_EQ(ends[0].Get("status"), "3") << log;
  EXPECT_EQ(ends[1].Get("status"), "3") << log;
  EXPECT_LE(std::stoll(ends[0].Get("ms")), 60000);
  const auto install = test::FindEvent(lines, "install", {{"step", "watch"}});
  ASSERT_TRUE(install) << log;
  EXPECT_EQ(install->Get("version"), "3");
  EXPECT_EQ(install->Get("backupVersion"), "2");
  ASSERT_TRUE(test::FindEvent(lines, "watch",
                              {{"version", "3"}, {"verdict", "early-failure"}, {"badStarts", "1"}}))
      << log;
  ASSERT_TRUE(test::FindEvent(lines, "watch", {{"version", "3"}, {"verdict", "roll-back"}})) << log;
  const auto start = test::FindEvent(lines, "rollback", {{"step", "start"}});
  ASSERT_TRUE(start) << log;
  EXPECT_EQ(start->Get("failedVersion"), "3");
  EXPECT_EQ(start->Get("backupVersion"), "2");
  EXPECT_TRUE(test::FindEvent(lines, "rollback", {{"step", "set-aside"}, {"ok", "1"}})) << log;
  EXPECT_TRUE(test::FindEvent(lines, "rollback", {{"step", "restore"}, {"ok", "1"}})) << log;
  EXPECT_TRUE(test::FindEvent(lines, "rollback",
                              {{"step", "record"}, {"version", "2"}, {"failedVersion", "3"}}))
      << log;

  // The next run starts the backup and does not fetch the failed version again.
  fs::remove(data / "AppRunner.tmp");
  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(2));
  EXPECT_FALSE(fs::exists(data / "AppRunner.tmp"));
  const auto again = test::ReadLogLines(data / "orvex-launcher.log");
  EXPECT_TRUE(
      test::FindEvent(again, "download", {{"skipped", "rolled back before"}, {"version", "3"}}))
      << test::DescribeLog(again);

  // A later version is fetched and started.
  server.Put("version.txt", "4\n");
  server.Put("AppRunner.tmp", JarBytes(4));
  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(4));
  EXPECT_EQ(UpdateKey(data, "version"), "4");
  EXPECT_EQ(UpdateKey(data, "backupVersion"), "2");
}

TEST(RollbackTest, WithoutABackupTheInstallationsJarStartsInsteadOfTheFailedOne) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\n");
  server.Put("AppRunner.tmp", JarBytes(2));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  KeepRunning(scenario, server.Url());
  test::WriteFile(scenario.userData.Path() / "crashing.jar", JarBytes(2));
  scenario.install.FailJavaFor(scenario.userData.Path() / "crashing.jar", 3);

  EXPECT_EQ(RunForStarts(scenario, 3), (std::vector<std::string>{Jar(2), Jar(2), Jar(1)}));
  const fs::path data = scenario.DataDir();
  EXPECT_FALSE(fs::exists(data / "AppRunner.jar"));
  EXPECT_EQ(JarOf(ReadFile(data / "AppRunner.failed")), Jar(2));
  EXPECT_EQ(UpdateKey(data, "failedVersion"), "2");
  // The next run does not fetch version 2 again and starts the installation's jar.
  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(1));
  EXPECT_FALSE(fs::exists(data / "AppRunner.jar"));
}

TEST(RollbackTest, AVersionThatRunsNormallyIsNeverRolledBack) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "3\n");
  server.Put("AppRunner.tmp", JarBytes(3));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  KeepRunning(scenario, server.Url());
  scenario.PreviousUpdate(2);

  // Each start ends at once with status 0 (the user closes it): never a failure.
  EXPECT_EQ(RunForStarts(scenario, 3), (std::vector<std::string>{Jar(3), Jar(3), Jar(3)}));
  const fs::path data = scenario.DataDir();
  EXPECT_EQ(JarOf(ReadFile(data / "AppRunner.jar")), Jar(3));
  EXPECT_EQ(JarOf(ReadFile(data / "AppRunner.old")), Jar(2));
  EXPECT_FALSE(fs::exists(data / "AppRunner.failed"));
  EXPECT_EQ(UpdateKey(data, "failedVersion"), "-1");
  EXPECT_EQ(UpdateKey(data, "watchedVersion"), "-1");  // proven on its first start
  const auto lines = test::ReadLogLines(data / "orvex-launcher.log");
  EXPECT_TRUE(test::FindEvent(lines, "watch", {{"version", "3"}, {"verdict", "proven"}}))
      << test::DescribeLog(lines);
  EXPECT_TRUE(test::EventsOf(lines, "rollback").empty());
}

}  // namespace
}  // namespace orvex
