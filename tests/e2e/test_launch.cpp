#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/install_dir.h"
#include "support/process_runner.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;

// What the stub Java must have been given, on the platform the tests run on.
void ExpectJavaCommand(const test::InstallDir& install, const test::JavaRun& run,
                       const std::string& memory, const std::string& jarName) {
  const std::string exeDir = install.Dir();
  const std::string jar = exeDir + jarName + ".jar";
  if (test::WindowsTarget()) {
    EXPECT_EQ(run.commandLine, "\"" + install.JavaRuntime() + "\" -Xmx" + memory + "m -jar \"" +
                                   jar + "\" app \"" + exeDir + "\"");
  } else {
    const std::vector<std::string> expected = {
        install.JavaRuntime(), "-Xmx" + memory + "m", "-jar", jar, "app", exeDir};
    EXPECT_EQ(run.arguments, expected);
  }
}

TEST(LaunchTest, StartsTheJarWithTheHeapFromTheSettingsThenExitsAfterItEnds) {
  test::InstallDir install;
  install.WriteSettings("[RUN]\nmemory=256\nkeepRunning=0\n");
  install.CreateJar();
  install.ConfigureJava(0ms, 3);

  test::ChildProcess launcher({install.Launcher()}, install.Environment());
  ASSERT_TRUE(launcher.Started());
  auto exitCode = launcher.Wait(60s);
  ASSERT_TRUE(exitCode.has_value()) << "the launcher did not end";
  EXPECT_EQ(*exitCode, 0);
  // One second to the dispatch, the ten-second tick, two seconds to the end.
  EXPECT_GE(launcher.Elapsed(), 11s);
  EXPECT_LE(launcher.Elapsed(), 30s);
  const auto runs = install.JavaRuns();
  ASSERT_EQ(runs.size(), 1u);
  ExpectJavaCommand(install, runs[0], "256", "AppRunner");
}

TEST(LaunchTest, ARunningApplicationIsLeftAloneUntilTheTickAfterItEnds) {
  test::InstallDir install;
  install.CreateJar("App Runner");
  install.WriteSettings("[RUN]\njarName=App Runner\n");
  // Ends at about 13 s, between the ticks at 11 s and 21 s.
  install.ConfigureJava(12s, 0);

  test::ChildProcess launcher({install.Launcher()}, install.Environment());
  auto exitCode = launcher.Wait(90s);
  ASSERT_TRUE(exitCode.has_value()) << "the launcher did not end";
  EXPECT_EQ(*exitCode, 0);
  EXPECT_GE(launcher.Elapsed(), 20s);
  EXPECT_LE(launcher.Elapsed(), 45s);
  const auto runs = install.JavaRuns();
  ASSERT_EQ(runs.size(), 1u);
  ExpectJavaCommand(install, runs[0], "128", "App Runner");
}

TEST(LaunchTest, KeepRunningStartsTheApplicationAgain) {
  test::InstallDir install;
  install.WriteSettings("[RUN]\nkeepRunning=1\nmemory=64\n");
  install.CreateJar();
  install.ConfigureJava(0ms, 1);

  test::ChildProcess launcher({install.Launcher()}, install.Environment());
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (install.JavaRuns().empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(100ms);
  }
  // The restart uses the settings read at start-up.
  install.WriteSettings("[RUN]\nkeepRunning=0\nmemory=999\n");
  while (install.JavaRuns().size() < 2 && std::chrono::steady_clock::now() < deadline &&
         launcher.Running()) {
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_TRUE(launcher.Running()) << "the launcher ended although keepRunning is on";
  // The second start comes at the first tick, ten seconds after the first.
  EXPECT_GE(launcher.Elapsed(), 10s);
  const auto runs = install.JavaRuns();
  ASSERT_GE(runs.size(), 2u);
  ExpectJavaCommand(install, runs[0], "64", "AppRunner");
  ExpectJavaCommand(install, runs[1], "64", "AppRunner");
  launcher.Kill();
}

TEST(LaunchTest, AMissingJarEndsTheLauncherAboutTwelveSecondsAfterTheAttempt) {
  test::InstallDir install;

  test::ChildProcess launcher({install.Launcher()}, install.Environment());
  auto exitCode = launcher.Wait(60s);
  ASSERT_TRUE(exitCode.has_value()) << "the launcher did not end";
  EXPECT_EQ(*exitCode, 0);
  EXPECT_GE(launcher.Elapsed(), 11s);
  EXPECT_LE(launcher.Elapsed(), 30s);
  EXPECT_TRUE(install.JavaRuns().empty());
}

TEST(LaunchTest, AnInstallDirectoryWithABlankStillStartsItsOwnRuntime) {
  test::InstallDir install("Orvex App");
  install.CreateJar();
  // Where a command line with an unquoted runtime path would be tried first.
  const std::filesystem::path trap =
      install.Path().parent_path() / (test::WindowsTarget() ? "Orvex.exe" : "Orvex");
  std::filesystem::copy_file(test::ProgramPath("stub-java"), trap);
  test::WriteFile(install.Path().parent_path() / "stub-java.conf",
                  "record=" + (install.Path().parent_path() / "trap.txt").string() + "\n");

  test::ChildProcess launcher({install.Launcher()}, install.Environment());
  auto exitCode = launcher.Wait(60s);
  ASSERT_TRUE(exitCode.has_value()) << "the launcher did not end";
  EXPECT_EQ(*exitCode, 0);
  const auto runs = install.JavaRuns();
  ASSERT_EQ(runs.size(), 1u);
  ExpectJavaCommand(install, runs[0], "128", "AppRunner");
  EXPECT_FALSE(std::filesystem::exists(install.Path().parent_path() / "trap.txt"));
}

// Windows reports 259 as the exit status of a thread that still runs; an application that
// ends with that status has ended all the same and must not keep the launcher waiting.
TEST(LaunchTest, AnApplicationEndingWithStatus259HasEnded) {
  test::InstallDir install;
  install.CreateJar();
  install.ConfigureJava(0ms, 259);

  test::ChildProcess launcher({install.Launcher()}, install.Environment());
  auto exitCode = launcher.Wait(60s);
  ASSERT_TRUE(exitCode.has_value()) << "the launcher took the application for a running one";
  EXPECT_EQ(*exitCode, 0);
  EXPECT_LE(launcher.Elapsed(), 30s);
  EXPECT_EQ(install.JavaRuns().size(), 1u);
}

// Not a session word: a word in another case, or a session word that is not the first
// argument, takes the launcher path.
class NotASessionWordTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(NotASessionWordTest, TakesTheLauncherPath) {
  test::InstallDir install;
  install.CreateJar();
  install.WriteSettings("[RUN]\nkeepRunning=1\n");
  install.ConfigureJava(3s, 0);

  std::vector<std::string> arguments = {install.Launcher()};
  arguments.insert(arguments.end(), GetParam().begin(), GetParam().end());
  test::ChildProcess launcher(arguments, install.Environment());
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (install.JavaRuns().empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_EQ(install.JavaRuns().size(), 1u);
  launcher.Kill();
}

INSTANTIATE_TEST_SUITE_P(Arguments, NotASessionWordTest,
                         ::testing::Values(std::vector<std::string>{"LOCK"},
                                           std::vector<std::string>{"app", "lock"}),
                         [](const auto& info) { return info.index == 0 ? "LOCK" : "app_lock"; });

}  // namespace
}  // namespace orvex
