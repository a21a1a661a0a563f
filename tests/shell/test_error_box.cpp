#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/events.h"
#include "shell/form.h"
#include "shell/timer.h"
#include "shell_fixture.h"
#include "support/process_runner.h"
#include "support/reaper.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;

// The real box, not the test hook. On POSIX it shows only with a display (extra.cmake runs
// these once more under a virtual display); its text always goes to standard error.
class ErrorBoxTest : public test::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Application->SetErrorBoxHook({});
  }
  static bool BoxShows() {
    if (test::WindowsTarget()) return true;
    const char* display = std::getenv("DISPLAY");
    return display && *display;
  }
};

TEST_F(ErrorBoxTest, TimersKeepFiringWhileTheBoxIsOpen) {
  int ticks = 0;
  TTimer timer(nullptr);
  timer.SetInterval(30);
  timer.SetOnTimer([&](TComponent*) {
    if (++ticks == 3) {
      timer.SetEnabled(false);
      platform::DismissErrorBoxes();
    }
  });
  test::Reaper reaper(20s);
  ::testing::internal::CaptureStderr();
  Application->ShowErrorBox(Exception("Something failed"));
  std::string printed = ::testing::internal::GetCapturedStderr();
  if (!test::WindowsTarget()) {
    EXPECT_NE(printed.find("Tramelo Orvex IP: Something failed.\n"), std::string::npos) << printed;
  }
  // With a box, all three ticks come inside its own loop (only the third closes it); without a
  // display nothing is shown and the program goes on at once.
  EXPECT_EQ(ticks, BoxShows() ? 3 : 0);
}

TEST_F(ErrorBoxTest, AFailingTimerOpensASecondBoxAboveTheFirstAndTheLoopStillEnds) {
  int runs = 0;
  TForm* form = nullptr;
  Application->CreateForm(form);
  Application->SetShowMainForm(false);
  TTimer timer(nullptr);
  timer.SetInterval(30);
  timer.SetOnTimer([&](TComponent*) {
    if (++runs == 3) {
      timer.SetEnabled(false);
      platform::DismissErrorBoxes();
      Application->RequestTermination();
      return;
    }
    throw Exception("Tick " + std::to_string(runs) + " failed");
  });
  ::testing::internal::CaptureStderr();
  test::RunApplicationLoop(20s);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(runs, 3);
  EXPECT_TRUE(Application->Terminated());
}

}  // namespace
}  // namespace orvex
