#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "support/process_runner.h"
#include "support/scripted_server.h"
#include "support/update_scenario.h"
#include "updater/update_lock.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::Jar;
using test::JarBytes;
using test::JarOf;
using test::ReadFile;
using test::TestName;

std::string RecordedVersion(const fs::path& dir) {
  return ReadFile(dir / "setup.properties");
}

TEST(UpdateTest, FirstUpdateIsInstalledIntoAnEmptyDataDirectoryAndStarted) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\r\n");
  server.Put("AppRunner.tmp", JarBytes(2));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);

  test::ChildProcess launcher({scenario.install.Launcher()}, scenario.Environment());
  auto exitCode = launcher.Wait(60s);
  ASSERT_TRUE(exitCode.has_value()) << "the launcher did not end";
  EXPECT_EQ(*exitCode, 0);

  const fs::path data = scenario.DataDir();
  EXPECT_EQ(JarOf(ReadFile(data / "AppRunner.jar")), Jar(2));
  EXPECT_EQ(JarOf(ReadFile(data / "AppRunner.tmp")), Jar(2));
  EXPECT_FALSE(fs::exists(data / "AppRunner.old"));
  EXPECT_FALSE(fs::exists(data / "AppRunner.jar.part"));
  EXPECT_NE(RecordedVersion(data).find("version=2"), std::string::npos) << RecordedVersion(data);
  const auto runs = scenario.install.JavaRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(JarOf(ReadFile(test::StartedJar(runs[0]))), Jar(2));
  EXPECT_EQ(fs::path(test::StartedJar(runs[0])).parent_path(), data);
}

TEST(UpdateTest, SecondUpdateRotatesTheBackup) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "3\n");
  server.Put("AppRunner.tmp", JarBytes(3));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  scenario.PreviousUpdate(2);
  test::WriteFile(scenario.DataDir() / "AppRunner.old", "backup of version 1");

  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(3));
  EXPECT_EQ(JarOf(ReadFile(scenario.DataDir() / "AppRunner.jar")), Jar(3));
  EXPECT_EQ(JarOf(ReadFile(scenario.DataDir() / "AppRunner.old")), Jar(2));
  EXPECT_NE(RecordedVersion(scenario.DataDir()).find("version=3"), std::string::npos);
}

struct Versions {
  int published;
  int local;
  int installed;
  bool downloads;
};

void PrintTo(const Versions& v, std::ostream* out) {
  *out << "published " << v.published << ", local " << v.local << ", installed " << v.installed;
}

class VersionRuleTest : public ::testing::TestWithParam<Versions> {};

TEST_P(VersionRuleTest, DownloadsOnlyWhatIsNewerThanBothVersions) {
  const Versions v = GetParam();
  test::PublishedDir server(TestName());
  server.Put("version.txt", std::to_string(v.published) + "\n");
  server.Put("AppRunner.tmp", JarBytes(v.published));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), v.installed);
  scenario.PreviousUpdate(v.local);

  const std::string started = scenario.RunUntilJavaStarts();
  EXPECT_EQ(fs::exists(scenario.DataDir() / "AppRunner.tmp"), v.downloads);
  if (v.downloads) {
    EXPECT_EQ(JarOf(started), Jar(v.published));
  } else {
    EXPECT_EQ(JarOf(ReadFile(scenario.DataDir() / "AppRunner.jar")), Jar(v.local));
    // The data directory's jar is started only when the published version is above the
    // installed one.
    EXPECT_EQ(JarOf(started), Jar(v.published > v.installed ? v.local : v.installed));
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionRuleTest,
                         ::testing::Values(Versions{5, 5, 3, false}, Versions{5, 3, 5, false},
                                           Versions{5, 4, 4, true}, Versions{2, 3, 1, false}));

TEST(UpdateTest, OfflineStartAfterAnUpdateStartsTheInstallationsJar) {
  test::UpdateScenario scenario;
  scenario.Install("http://127.0.0.1:9/nothing/", 1);  // nothing listens on the discard port
  scenario.PreviousUpdate(2);
  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(1));
}

TEST(UpdateTest, WithoutAppDataUpdateTheInstallationsJarIsReplacedAndStartedAtOnce) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\n");
  server.Put("AppRunner.tmp", JarBytes(2));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1, /*appDataUpdate=*/0);

  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(2));
  const fs::path exeDir = scenario.install.Path();
  EXPECT_EQ(JarOf(ReadFile(exeDir / "AppRunner.jar")), Jar(2));
  EXPECT_EQ(JarOf(ReadFile(exeDir / "AppRunner.old")), Jar(1));
  EXPECT_NE(RecordedVersion(exeDir).find("version=2"), std::string::npos);
  EXPECT_FALSE(fs::exists(scenario.DataDir()));
}

TEST(UpdateTest, AMissingJarOnTheServerInstallsNothing) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\n");
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);

  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(1));
  EXPECT_FALSE(fs::exists(scenario.DataDir() / "AppRunner.jar"));
}

// A "version.txt" that is not a version: no download, the installation's jar starts even though
// an earlier update sits in the data directory.
std::string BadVersionTextName(const ::testing::TestParamInfo<std::string>& info) {
  static const char* const kNames[] = {"empty", "not_a_number", "empty_first_line", "huge"};
  return kNames[info.index];
}

class BadVersionTextTest : public ::testing::TestWithParam<std::string> {};

TEST_P(BadVersionTextTest, IsAFailedCheck) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", GetParam());
  server.Put("AppRunner.tmp", JarBytes(3));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  scenario.PreviousUpdate(2);

  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(1));
  EXPECT_FALSE(fs::exists(scenario.DataDir() / "AppRunner.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Texts, BadVersionTextTest,
                         // A valid first line followed by more than 64 KiB is refused as a whole.
                         ::testing::Values(std::string(), std::string("seven\n"),
                                           std::string("\n3\n"),
                                           "3\n" + std::string(200 * 1024, '#')),
                         BadVersionTextName);

// A server that breaks the jar's transfer: nothing is installed and the earlier update starts.
struct BrokenTransfer {
  const char* name;
  std::string jarResponse;
  test::ServerStep end;
  // Lines for the [UPDATE] section.
  std::string moreSettings = {};
  // Cases that must be refused before the body (the server then stays silent) get less than the
  // 30 s read limit.
  std::chrono::seconds limit = std::chrono::seconds(80);
};

void PrintTo(const BrokenTransfer& broken, std::ostream* out) {
  *out << broken.name;
}

class BrokenTransferTest : public ::testing::TestWithParam<BrokenTransfer> {};

TEST_P(BrokenTransferTest, InstallsNothing) {
  const BrokenTransfer& broken = GetParam();
  using test::ServerStep;
  const std::string version = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n3\n";
  test::ScriptedServer server(
      std::vector<test::ServerScript>{
          {ServerStep::ReadBlankLine(), ServerStep::Send(version), ServerStep::ReadBlankLine(),
           ServerStep::Send(broken.jarResponse), broken.end},
          {ServerStep::ReadBlankLine(), ServerStep::Send(broken.jarResponse), broken.end}},
      90s);
  test::UpdateScenario scenario;
  scenario.Install("http://127.0.0.1:" + std::to_string(server.Port()) + "/u/", 1, 1,
                   broken.moreSettings);
  scenario.PreviousUpdate(2);

  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts(broken.limit)), Jar(2));
  EXPECT_EQ(JarOf(ReadFile(scenario.DataDir() / "AppRunner.jar")), Jar(2));
  EXPECT_FALSE(fs::exists(scenario.DataDir() / "AppRunner.jar.part"));
  // A failed download's file is removed.
  EXPECT_FALSE(fs::exists(scenario.DataDir() / "AppRunner.tmp"));
  EXPECT_NE(RecordedVersion(scenario.DataDir()).find("version=2"), std::string::npos);
}

const std::string kHalfJar = JarBytes(3).substr(0, 100000);
// A whole archive of 1.5 MiB: more than "maxSize=1" allows.
const std::string kLargeJar = test::ZipArchive({{"large.bin", std::string(1536 * 1024, 'x')}});

INSTANTIATE_TEST_SUITE_P(
    Servers, BrokenTransferTest,
    ::testing::Values(
        BrokenTransfer{"cut_short", "HTTP/1.1 200 OK\r\nContent-Length: 300000\r\n\r\n" + kHalfJar,
                       test::ServerStep::Close()},
        BrokenTransfer{"reset_mid_body",
                       "HTTP/1.1 200 OK\r\nContent-Length: 300000\r\n\r\n" + kHalfJar,
                       test::ServerStep::Reset()},
        BrokenTransfer{
            "chunked_without_final_chunk",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n186a0\r\n" + kHalfJar + "\r\n",
            test::ServerStep::Close()},
        // Accepts and says nothing: the read time limit ends the wait.
        BrokenTransfer{"silent", "", test::ServerStep::Silent()},
        // No framing: the server's close ends the body, and only the archive can tell it is cut.
        BrokenTransfer{"cut_without_framing",
                       "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + kHalfJar,
                       test::ServerStep::Close()},
        BrokenTransfer{"grows_past_max_size",
                       "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + kLargeJar,
                       test::ServerStep::Close(), "maxSize=1\n"},
        BrokenTransfer{"announced_past_max_size",
                       "HTTP/1.1 200 OK\r\nContent-Length: 1048577\r\n\r\n",
                       test::ServerStep::Silent(), "maxSize=1\n", 20s},
        // Under the limit (about 1.9 PiB) but more than any test disk holds.
        BrokenTransfer{"announced_past_free_space",
                       "HTTP/1.1 200 OK\r\nContent-Length: 1000000000000000\r\n\r\n",
                       test::ServerStep::Silent(), "maxSize=2000000000\n", 20s}),
    [](const ::testing::TestParamInfo<BrokenTransfer>& info) { return info.param.name; });

// A second launcher started while the first updates leaves the update to it and starts the
// current jar; once the lock is free the update goes ahead.
TEST(UpdateTest, WhileAnotherLauncherUpdatesTheCurrentJarStarts) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "3\n");
  server.Put("AppRunner.tmp", JarBytes(3));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  scenario.PreviousUpdate(2);
  {
    TUpdateLock otherLauncher((scenario.DataDir() / "AppRunner.lock").string());
    ASSERT_TRUE(otherLauncher.Held());
    EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(2));
    EXPECT_FALSE(fs::exists(scenario.DataDir() / "AppRunner.tmp"));
    EXPECT_NE(RecordedVersion(scenario.DataDir()).find("version=2"), std::string::npos);
  }
  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(3));
}

// A link planted where the download goes is replaced, never written through.
TEST(UpdateTest, APlantedLinkIsNotFollowed) {
  if (test::WindowsTarget()) GTEST_SKIP() << "symbolic links need a privilege on Windows";
  test::PublishedDir server(TestName());
  server.Put("version.txt", "3\n");
  server.Put("AppRunner.tmp", JarBytes(3));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  scenario.PreviousUpdate(2);
  const fs::path victim = scenario.userData.Path() / "victim";
  test::WriteFile(victim, "precious");
  fs::create_symlink(victim, scenario.DataDir() / "AppRunner.tmp");
  fs::create_symlink(victim, scenario.DataDir() / "AppRunner.jar.part");

  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(3));
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_FALSE(fs::is_symlink(scenario.DataDir() / "AppRunner.tmp"));
}

// A data directory that others may write to is not updated into (they could swap the files
// between the checks and the renames).
TEST(UpdateTest, ADataDirectoryOthersMayWriteIsNotUpdated) {
  if (test::WindowsTarget()) GTEST_SKIP() << "Windows: the profile's access lists decide";
  test::PublishedDir server(TestName());
  server.Put("version.txt", "3\n");
  server.Put("AppRunner.tmp", JarBytes(3));
  test::UpdateScenario scenario;
  scenario.Install(server.Url(), 1);
  scenario.PreviousUpdate(2);
  fs::permissions(scenario.DataDir(), fs::perms::owner_all | fs::perms::group_all);

  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(2));
  EXPECT_FALSE(fs::exists(scenario.DataDir() / "AppRunner.tmp"));
}

// An account whose data directory's parents are missing (no ~/.local/share yet) updates too.
TEST(UpdateTest, TheDataDirectorysMissingParentsAreCreated) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\n");
  server.Put("AppRunner.tmp", JarBytes(2));
  test::UpdateScenario scenario;
  scenario.userDataHome = scenario.userData.Path() / "local" / "share";
  scenario.Install(server.Url(), 1);

  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts()), Jar(2));
  EXPECT_EQ(JarOf(ReadFile(scenario.DataDir() / "AppRunner.jar")), Jar(2));
}

// Settings that would leave the data folder or add words to the Java command: the launcher
// shows its error box and starts nothing, and nothing is written outside its folders.
class UnsafeSettingTest : public ::testing::TestWithParam<const char*> {};

TEST_P(UnsafeSettingTest, StartsNothingAndWritesNothingOutside) {
  test::PublishedDir server(TestName());
  server.Put("version.txt", "2\n");
  test::UpdateScenario scenario;
  scenario.userDataHome = scenario.userData.Path() / "a" / "b";
  fs::create_directories(scenario.userDataHome);
  scenario.install.WriteSettings(std::string("[RUN]\nkeepRunning=0\n") + GetParam() +
                                 "\n[UPDATE]\nurl=" + server.Url() + "\nversion=1\n");
  scenario.install.CreateJar("X");
  scenario.install.CreateJar();

  test::ChildProcess launcher({scenario.install.Launcher()}, scenario.Environment());
  ASSERT_TRUE(launcher.Started());
  // POSIX prints the box's text and ends 2 s after it; a Windows box waits for its OK.
  const auto exitCode = launcher.Wait(test::WindowsTarget() ? 6s : 30s);
  if (!test::WindowsTarget()) {
    ASSERT_TRUE(exitCode.has_value()) << "the launcher did not end";
    EXPECT_EQ(*exitCode, 0);
  }
  launcher.Kill();
  EXPECT_TRUE(scenario.install.JavaRuns().empty());
  for (const fs::path& dir : {scenario.userData.Path(), scenario.userData.Path() / "a",
                              scenario.userDataHome, scenario.install.Path().parent_path()}) {
    for (const auto& entry : fs::directory_iterator(dir)) {
      EXPECT_NE(entry.path().stem().string(), "X") << entry.path();
    }
  }
}

std::string UnsafeSettingName(const ::testing::TestParamInfo<const char*>& info) {
  static const char* const kNames[] = {"absolute_jar_name", "relative_jar_name", "memory"};
  return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(Settings, UnsafeSettingTest,
                         ::testing::Values("jarName=/../../X", "jarName=../../X",
                                           "memory=128 -Dinjected=1"),
                         UnsafeSettingName);

TEST(UpdateTest, ASilentServerDoesNotKeepTheApplicationFromStarting) {
  test::ScriptedServer server(test::ServerScript{test::ServerStep::Silent()}, 90s);
  test::UpdateScenario scenario;
  scenario.Install("http://127.0.0.1:" + std::to_string(server.Port()) + "/u/", 1);
  EXPECT_EQ(JarOf(scenario.RunUntilJavaStarts(80s)), Jar(1));
}

}  // namespace
}  // namespace orvex
