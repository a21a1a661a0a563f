#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/process_runner.h"
#include "support/scripted_server.h"
#include "support/update_scenario.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::JarBytes;
using test::ReadFile;
using test::ServerScript;
using test::ServerStep;

std::string Reply(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

struct SignalCase {
  const char* name;
  bool sessionEnd;
  bool applicationStarts;
};

// A close request or the session's end that arrives while the jar is on its way: the download
// goes on (on Linux the signal interrupts the wait for bytes) and the request is taken once the
// loop runs again. At the end of the session no application is started.
TEST(UpdateSignalTest, ASignalDuringTheDownloadIsHandledAfterIt) {
  const SignalCase cases[] = {
      {"close request", false, true},
      {"end of the session", true, false},
  };
  const std::string jar = JarBytes(2);
  const std::string response = Reply(jar);
  const std::size_t half = response.size() / 2;
  for (const SignalCase& c : cases) {
    SCOPED_TRACE(c.name);
    // The version on a connection of its own, then the jar in two halves with a pause between.
    test::ScriptedServer server(
        {ServerScript{ServerStep::ReadBlankLine(),
                      ServerStep::Send("HTTP/1.1 200 OK\r\nConnection: close\r\n"
                                       "Content-Length: 2\r\n\r\n2\n"),
                      ServerStep::Close()},
         ServerScript{ServerStep::ReadBlankLine(), ServerStep::Send(response.substr(0, half)),
                      ServerStep::Pause(1500), ServerStep::Send(response.substr(half)),
                      ServerStep::ReadBlankLine()}},
        60s);
    test::UpdateScenario scenario;
    scenario.Install("http://127.0.0.1:" + std::to_string(server.Port()) + "/", 1);

    test::ChildProcess launcher({scenario.install.Launcher()}, scenario.Environment());
    ASSERT_TRUE(launcher.Started());
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (server.Received(1).find("GET /AppRunner.tmp") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
    }
    ASSERT_NE(server.Received(1).find("GET /AppRunner.tmp"), std::string::npos);
    std::this_thread::sleep_for(500ms);  // inside the server's pause
    ASSERT_TRUE(launcher.SendCloseRequest(c.sessionEnd));

    auto exitCode = launcher.Wait(60s);
    ASSERT_TRUE(exitCode.has_value()) << "the launcher did not end";
    EXPECT_EQ(*exitCode, 0);
    // The download was not cut by the signal: the new jar is installed.
    EXPECT_TRUE(ReadFile(scenario.DataDir() / "AppRunner.jar") == jar) << "no whole new jar";
    // A started stub records its run on its own time.
    auto runs = scenario.install.JavaRuns();
    for (int i = 0; i < 100 && runs.empty() && c.applicationStarts; ++i) {
      std::this_thread::sleep_for(100ms);
      runs = scenario.install.JavaRuns();
    }
    if (c.applicationStarts) {
      ASSERT_EQ(runs.size(), 1u);
      EXPECT_TRUE(ReadFile(test::StartedJar(runs[0])) == jar) << "not the new jar started";
    } else {
      EXPECT_TRUE(runs.empty());
    }
  }
}

}  // namespace
}  // namespace orvex
