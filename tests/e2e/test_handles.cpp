#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/file_stream.h"
#include "platform/sockets.h"
#include "support/install_dir.h"
#include "support/process_runner.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;

// The application started by the launcher holds none of its sockets or files: an inherited
// update connection or download would stay open, and locked, for as long as the application runs.
TEST(HandleInheritanceTest, TheStartedProgramGetsNoSocketOrFileOfItsStarter) {
  test::InstallDir install;
  install.ConfigureJava(0ms, 0);
  ASSERT_EQ(platform::StartSockets(), 0);
  const platform::SocketHandle socket = platform::OpenStreamSocket(platform::AddressFamily::IPv4);
  ASSERT_NE(socket, platform::kInvalidSocket);
  const platform::FileHandle file = platform::OpenFile(
      (install.Parent().Path() / "download.tmp").string(), platform::FileOpenMode::Create);
  ASSERT_NE(file, platform::kInvalidFile);
  // The probe itself sees them here.
  EXPECT_TRUE(platform::HandleIsOpen(static_cast<std::uintptr_t>(socket)));
  EXPECT_TRUE(platform::HandleIsOpen(static_cast<std::uintptr_t>(file)));

  const std::string s = std::to_string(socket);
  const std::string f = std::to_string(file);
  {
    test::ChildProcess java({install.JavaRuntime()}, {{"ORVEX_PROBE_HANDLES", s + "," + f}});
    ASSERT_TRUE(java.Started());
    EXPECT_TRUE(java.Wait(30s).has_value());
  }
  platform::CloseSocket(socket);
  platform::CloseFile(file);
  platform::StopSockets();
  const auto runs = install.JavaRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].handles, (std::vector<std::string>{s + " closed", f + " closed"}));
}

}  // namespace
}  // namespace orvex
