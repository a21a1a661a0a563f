#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/install_dir.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;

struct WordCase {
  std::string argument;  // as it stands on the command line
  std::string request;   // what the stub loginctl or systemctl records
};

std::ostream& operator<<(std::ostream& out, const WordCase& c) {
  return out << c.argument;
}

class SessionWordTest : public ::testing::TestWithParam<WordCase> {};

// Stub loginctl and systemctl that record their words, first on PATH: the real requests would
// end the test session.
std::string MakeStubs(const test::TempDir& dir) {
  const std::filesystem::path bin = dir.Path() / "stub-bin";
  std::filesystem::create_directory(bin);
  const std::string record = (dir.Path() / "requests.txt").string();
  for (const char* name : {"loginctl", "systemctl"}) {
    test::WriteFile(bin / name,
                    std::string("#!/bin/sh\necho \"") + name + " $*\" >> '" + record + "'\n");
    std::filesystem::permissions(bin / name, std::filesystem::perms::owner_all);
  }
  return bin.string();
}

TEST_P(SessionWordTest, RequestsTheActionOnceAndExitsAboutThreeSecondsLater) {
  const WordCase& word = GetParam();
  if (test::WindowsTarget() && word.request != "loginctl lock-session") {
    GTEST_SKIP() << "under Wine only the lock request is harmless";
  }
  test::InstallDir install;
  install.CreateJar();
  test::TempDir stubs("orvex-stubs");
  platform::EnvironmentOverrides environment;
  if (!test::WindowsTarget()) {
    environment = {{"PATH", MakeStubs(stubs) + ":" + std::getenv("PATH")},
                   {"XDG_SESSION_ID", "c42"}};
    // A settings file that cannot be opened without a writer: reading it would hang.
    test::ChildProcess fifo({"/usr/bin/mkfifo", (install.Path() / "setup.properties").string()});
    ASSERT_EQ(fifo.Wait(10s), 0);
  } else {
    install.WriteSettings("[RUN]\nkeepRunning=1\n");
  }

  test::ChildProcess launcher({install.Launcher(), word.argument}, environment);
  ASSERT_TRUE(launcher.Started());
  auto exitCode = launcher.Wait(30s);
  ASSERT_TRUE(exitCode.has_value()) << "the launcher did not end";
  EXPECT_EQ(*exitCode, 0);
  EXPECT_GE(launcher.Elapsed(), 2500ms);
  EXPECT_LE(launcher.Elapsed(), 10000ms);
  EXPECT_TRUE(install.JavaRuns().empty()) << "the launcher path was taken";
  if (!test::WindowsTarget()) {
    EXPECT_EQ(test::ReadFile(stubs.Path() / "requests.txt"), word.request + "\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Words, SessionWordTest,
                         ::testing::Values(WordCase{"lock", "loginctl lock-session"},
                                           WordCase{"logoff", "loginctl terminate-session c42"},
                                           WordCase{"shutdown", "systemctl poweroff -i"},
                                           WordCase{"reboot", "systemctl reboot -i"},
                                           WordCase{"suspend", "systemctl suspend -i"},
                                           WordCase{"\"lock\"", "loginctl lock-session"}),
                         [](const ::testing::TestParamInfo<WordCase>& info) {
                           std::string name;
                           for (char c : info.param.argument)
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace orvex
