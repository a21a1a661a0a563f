// The launcher's log as the support desk reads it: each event's line, taken apart field by
// field, for a good update, an offline start and a failed download.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "launcher/launcher_version.h"
#include "log/launcher_log.h"
#include "platform/log_file.h"
#include "support/log_lines.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/update_scenario.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::JarBytes;
using test::LogLine;
using test::TestName;

bool IsNumber(const std::string& text) {
  return std::regex_match(text, std::regex("-?[0-9]+"));
}

// Every line is well formed and stamped in the local zone of this machine.
void ExpectWellFormed(const std::vector<LogLine>& lines) {
  platform::LocalTimeStamp now;
  ASSERT_TRUE(platform::CurrentLocalTime(now));
  const std::string offset = FormatLogTime(now).substr(24);
  for (const LogLine& line : lines) {
    EXPECT_TRUE(line.wellFormed) << line.text;
    EXPECT_EQ(line.offset, offset) << line.text;
  }
}

// The lines the launcher writes before it looks at the network, for the scenario's settings.
void ExpectStartAndSettings(const std::vector<LogLine>& lines, const test::UpdateScenario& scenario,
                            const std::string& url) {
  const std::string log = test::DescribeLog(lines);
  ASSERT_GE(lines.size(), 3u) << log;
  EXPECT_EQ(lines[0].event, "start") << log;
  EXPECT_EQ(lines[0].Get("version"), kLauncherVersion);
  EXPECT_EQ(lines[0].Get("word"), "");
  EXPECT_EQ(lines[0].Get("dir"), scenario.install.Dir());
  EXPECT_EQ(lines[1].event, "settings") << log;
  EXPECT_EQ(lines[1].Get("section"), "RUN");
  EXPECT_EQ(lines[1].Get("memory"), "128");
  EXPECT_EQ(lines[1].Get("keepRunning"), "0");
  EXPECT_EQ(lines[1].Get("jarName"), "AppRunner");
  EXPECT_EQ(lines[2].event, "settings") << log;
  EXPECT_EQ(lines[2].Get("section"), "UPDATE");
  EXPECT_EQ(lines[2].Get("url"), url);
  EXPECT_EQ(lines[2].Get("appDataUpdate"), "1");
  EXPECT_EQ(lines[2].Get("version"), "1");
  EXPECT_EQ(lines[2].Get("dataDir"), (scenario.DataDir() / "").string());
}

TEST(LogTest, AGoodUpdateFromStartToEnd) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\r\n");
  server.Put("AppRunner.tmp", JarBytes(2));
  test::UpdateScenario scenario;
  // A user name and password in the URL: the log shows the user, never the password (nginx
  // ignores the credentials of a resource that asks for none).
  std::string url = server.Url();
  url.insert(url.find("//") + 2, "ana:s3cret@");
  scenario.Install(url, 1);

  test::ChildProcess launcher({scenario.install.Launcher()}, scenario.Environment());
  ASSERT_EQ(launcher.Wait(60s), std::optional<int>(0));

  const auto lines = test::ReadLogLines(scenario.DataDir() / kLogFileName);
  const std::string log = test::DescribeLog(lines);
  ExpectWellFormed(lines);
  std::string masked = server.Url();
  masked.insert(masked.find("//") + 2, "ana:***@");
  ExpectStartAndSettings(lines, scenario, masked);
  EXPECT_EQ(log.find("s3cret"), std::string::npos) << log;

  const auto check = test::FindEvent(lines, "check");
  ASSERT_TRUE(check) << log;
  EXPECT_EQ(check->Get("url"), masked + "version.txt");
  EXPECT_EQ(check->Get("status"), "200");
  EXPECT_EQ(check->Get("remote"), "2");
  EXPECT_EQ(check->Get("local"), "1");
  EXPECT_EQ(check->Get("installed"), "1");
  EXPECT_EQ(check->Get("bytes"), "3");
  EXPECT_TRUE(IsNumber(check->Get("ms")));
  EXPECT_FALSE(check->Has("error"));

  const auto download = test::FindEvent(lines, "download");
  ASSERT_TRUE(download) << log;
  EXPECT_EQ(download->Get("url"), masked + "AppRunner.tmp");
  EXPECT_EQ(download->Get("status"), "200");
  EXPECT_EQ(download->Get("bytes"), std::to_string(JarBytes(2).size()));
  EXPECT_EQ(download->Get("ok"), "1");
  EXPECT_TRUE(IsNumber(download->Get("ms")));
  EXPECT_TRUE(IsNumber(download->Get("KiBps")));

  const std::string jar = (scenario.DataDir() / "AppRunner.jar").string();
  // A first installation has no jar to back up: the copy is made beside the jar, then moved in.
  EXPECT_FALSE(test::FindEvent(lines, "install", {{"step", "backup"}})) << log;
  EXPECT_TRUE(
      test::FindEvent(lines, "install", {{"step", "copy"}, {"ok", "1"}, {"to", jar + ".part"}}))
      << log;
  EXPECT_TRUE(test::FindEvent(lines, "install", {{"step", "place"}, {"ok", "1"}, {"to", jar}}))
      << log;
  EXPECT_TRUE(test::FindEvent(lines, "install",
                              {{"step", "watch"}, {"version", "2"}, {"backupVersion", "-1"}}))
      << log;
  EXPECT_TRUE(test::FindEvent(lines, "install", {{"step", "record"}, {"version", "2"}})) << log;

  const auto start = test::FindEvent(lines, "java.start");
  ASSERT_TRUE(start) << log;
  const auto runs = scenario.install.JavaRuns();
  ASSERT_EQ(runs.size(), 1u);
  if (test::WindowsTarget()) {
    EXPECT_EQ(start->Get("cmdline"), runs[0].commandLine);
  } else {
    EXPECT_NE(start->Get("cmdline").find(jar), std::string::npos) << start->text;
  }
  EXPECT_TRUE(IsNumber(start->Get("pid")));
  EXPECT_NE(start->Get("pid"), "0");
  const auto end = test::FindEvent(lines, "java.end");
  ASSERT_TRUE(end) << log;
  EXPECT_EQ(end->Get("pid"), start->Get("pid"));
  EXPECT_EQ(end->Get("status"), "0");
  EXPECT_TRUE(IsNumber(end->Get("ms")));
  // A normal end proves the fresh version.
  EXPECT_TRUE(test::FindEvent(lines, "watch", {{"version", "2"}, {"verdict", "proven"}})) << log;
  EXPECT_TRUE(test::EventsOf(lines, "failure").empty()) << log;
  // In the order they happened.
  std::vector<std::string> order;
  for (const LogLine& line : lines) {
    if (order.empty() || order.back() != line.event) order.push_back(line.event);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"start", "settings", "check", "download", "install",
                                             "java.start", "java.end", "watch"}))
      << log;
}

TEST(LogTest, AnOfflineStart) {
  test::UpdateScenario scenario;
  const std::string url = "http://127.0.0.1:9/nothing/";  // nothing listens on the discard port
  scenario.Install(url, 1);
  scenario.PreviousUpdate(2);
  ASSERT_EQ(scenario.RunUntilJavaStarts(), JarBytes(1));

  const auto lines = test::ReadLogLines(scenario.DataDir() / kLogFileName);
  const std::string log = test::DescribeLog(lines);
  ExpectWellFormed(lines);
  ExpectStartAndSettings(lines, scenario, url);
  EXPECT_EQ(lines[2].Get("localVersion"), "2");
  const auto check = test::FindEvent(lines, "check");
  ASSERT_TRUE(check) << log;
  EXPECT_EQ(check->Get("url"), url + "version.txt");
  EXPECT_EQ(check->Get("status"), "none");
  EXPECT_EQ(check->Get("remote"), "-1");
  EXPECT_EQ(check->Get("local"), "2");
  EXPECT_EQ(check->Get("installed"), "1");
  EXPECT_EQ(check->Get("bytes"), "0");
  EXPECT_NE(check->Get("error").find("10061"), std::string::npos) << check->text;  // refused
  EXPECT_TRUE(test::EventsOf(lines, "download").empty()) << log;
  const auto start = test::FindEvent(lines, "java.start");
  ASSERT_TRUE(start) << log;
  EXPECT_NE(start->Get("cmdline").find(scenario.install.Dir() + "AppRunner.jar"), std::string::npos)
      << start->text;
}

TEST(LogTest, AFailedDownload) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\n");  // and no jar: 404
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  ASSERT_EQ(scenario.RunUntilJavaStarts(), JarBytes(1));

  const auto lines = test::ReadLogLines(scenario.DataDir() / kLogFileName);
  const std::string log = test::DescribeLog(lines);
  ExpectWellFormed(lines);
  const auto check = test::FindEvent(lines, "check");
  ASSERT_TRUE(check) << log;
  EXPECT_EQ(check->Get("status"), "200");
  EXPECT_EQ(check->Get("remote"), "2");
  const auto download = test::FindEvent(lines, "download");
  ASSERT_TRUE(download) << log;
  EXPECT_EQ(download->Get("url"), server.Url() + "AppRunner.tmp");
  EXPECT_EQ(download->Get("status"), "404");
  EXPECT_EQ(download->Get("ok"), "0");
  EXPECT_EQ(download->Get("bytes"), "0");
  EXPECT_NE(download->Get("error").find("404"), std::string::npos) << download->text;
  EXPECT_TRUE(test::EventsOf(lines, "install").empty()) << log;
  EXPECT_TRUE(test::FindEvent(lines, "java.start")) << log;
}

TEST(LogTest, ASessionWordWritesNothing) {
  test::UpdateScenario scenario;
  scenario.Install("http://127.0.0.1:9/nothing/", 1, /*appDataUpdate=*/0);
  platform::EnvironmentOverrides environment = scenario.Environment();
  test::TempDir stubs("orvex-stubs");
  if (!test::WindowsTarget()) {
    // A stub loginctl first on PATH: the real one would lock the test session. (Under Wine the
    // lock is not implemented and harmless.)
    test::WriteFile(stubs.Path() / "loginctl", "#!/bin/sh\nexit 0\n");
    fs::permissions(stubs.Path() / "loginctl", fs::perms::owner_all);
    environment.push_back({"PATH", stubs.Path().string() + ":" + std::getenv("PATH")});
  }
  test::ChildProcess launcher({scenario.install.Launcher(), "lock"}, environment);
  ASSERT_TRUE(launcher.Wait(30s).has_value());
  EXPECT_FALSE(fs::exists(scenario.install.Path() / kLogFileName));
  EXPECT_FALSE(fs::exists(scenario.DataDir() / kLogFileName));
}

}  // namespace
}  // namespace orvex
