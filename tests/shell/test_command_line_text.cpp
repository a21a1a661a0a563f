#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/process.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;

// The stub Java records the command-line text its platform gives it.
TEST(CommandLineTextTest, ArgumentsHoldingSeparatorsOrQuotesAreQuoted) {
  test::TempDir dir("orvex-cmdline");
  const std::string stub = dir.Dir() + (test::WindowsTarget() ? "stub.exe" : "stub");
  std::filesystem::copy_file(test::ProgramPath("stub-java"), stub);
  const std::string record = dir.Dir() + "record.txt";
  test::WriteFile(dir.Path() / "stub-java.conf", "record=" + record + "\n");

  const std::vector<std::string> arguments = {stub, "plain", "a b", "", "tab\there", "q\"x"};
  std::string commandLine;  // the text handed to the Windows process start
  if (test::WindowsTarget()) {
    commandLine = "\"" + stub + "\" plain \"a b\" \"\" \"tab\there\" q\"x";
  }
  platform::ProcessInfo info;
  ASSERT_TRUE(platform::StartProcess({commandLine, arguments}, info));
  EXPECT_EQ(platform::WaitForExit(info, 30s), 0);
  platform::ReleaseProcess(info);

  const std::string text = test::ReadFile(record);
  const std::string expected =
      test::WindowsTarget() ? commandLine : stub + " plain \"a b\" \"\" \"tab\there\" \"q\"x\"";
  EXPECT_NE(text.find("cmdline=" + expected + "\n"), std::string::npos) << text;
}

TEST(CommandLineTextTest, AProgramThatCannotStartLeavesTheIdentityUntouched) {
  test::TempDir dir("orvex-cmdline");
  const std::string missing = dir.Dir() + (test::WindowsTarget() ? "missing.exe" : "missing");
  platform::ProcessInfo info;
  info.processId = 7;
  EXPECT_FALSE(platform::StartProcess({"\"" + missing + "\"", {missing}}, info));
  EXPECT_EQ(info.processId, 7u);
  EXPECT_FALSE(platform::StillRunning(platform::ProcessInfo{}));
}

}  // namespace
}  // namespace orvex
