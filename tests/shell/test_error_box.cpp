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

// A failure while a box is open, from an event its own loop dispatched, is reported once that
// box has closed; it never escapes the report that opened the box (which ended the loop).
TEST_F(ErrorBoxTest, AFailureWhileTheBoxIsOpenIsReportedAfterItAndTheLoopGoesOn) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  Application->SetShowMainForm(false);
  // The first failure comes straight from the loop, not from a timer (which reports its own).
  platform::PostTask([] {
    platform::PostTask([] { throw Exception("Second task failed"); });
    throw Exception("First task failed");
  });
  int ticks = 0;
  TTimer timer(nullptr);
  timer.SetInterval(30);
  timer.SetOnTimer([&](TComponent*) {
    platform::DismissErrorBoxes();
    if (++ticks == 10) {
      timer.SetEnabled(false);
      Application->RequestTermination();
    }
  });
  timer.SetEnabled(true);
  ::testing::internal::CaptureStderr();
  EXPECT_NO_THROW(test::RunApplicationLoop(20s));
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(ticks, 10) << "the loop ended early";
  EXPECT_TRUE(Application->Terminated());
  // Windows shows the texts in the boxes alone; elsewhere they also go to standard error.
  if (test::WindowsTarget()) return;
  const auto first = printed.find("First task failed.");
  const auto second = printed.find("Second task failed.");
  ASSERT_NE(first, std::string::npos) << printed;
  ASSERT_NE(second, std::string::npos) << printed;
  EXPECT_LT(first, second);
}

}  // namespace
}  // namespace orvex
