#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/events.h"
#include "shell/form.h"
#include "shell/timer.h"
#include "shell_fixture.h"
#include "support/process_runner.h"
#include "support/reaper.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
using test::RunApplicationLoop;

void Block(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

// A timer owned by nothing, counting its events; the counting handler can be swapped.
struct CountedTimer {
  explicit CountedTimer(std::uint32_t interval, bool enabled = true) {
    timer->SetEnabled(enabled);
    timer->SetInterval(interval);
    timer->SetOnTimer(Handler());
  }
  TNotifyEvent Handler() {
    return [this](TComponent*) { ++fired; };
  }
  int Take() {
    fired = 0;
    Application->ProcessPendingEvents();
    return fired;
  }
  std::unique_ptr<TTimer> timer = std::make_unique<TTimer>(nullptr);
  int fired = 0;
};

class TimerTest : public test::ShellTest {
 protected:
  // Runs the loop with a main form until some handler requests the end.
  void RunLoop() {
    TForm* form = nullptr;
    Application->CreateForm(form);
    RunApplicationLoop(20s);
  }
};

TEST_F(TimerTest, StartsEnabledWithOneSecondAndNoHandler) {
  TTimer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_FALSE(timer.OnTimer());
}

// The period rules, with real intervals: a 1000 ms timer is touched about 500 ms after its start
// and the queue is looked at about 600 ms after the touch. A running period has expired by then;
// a period restarted by the touch has not. The times are measured, and a round in which the
// thread overslept so far that the look cannot tell the two apart is played again.
struct Touch {
  const char* rule;
  void (*touch)(CountedTimer&);
  int firedAfterTouch;
};

const Touch kTouches[] = {
    {"EnablingAnEnabledTimerKeepsItsPeriod", [](CountedTimer& t) { t.timer->SetEnabled(true); }, 1},
    {"DisablingAndEnablingRestartsThePeriod",
     [](CountedTimer& t) {
       t.timer->SetEnabled(false);
       t.timer->SetEnabled(true);
     },
     0},
    {"SettingTheSameIntervalKeepsThePeriod", [](CountedTimer& t) { t.timer->SetInterval(1000); },
     1},
    {"SettingAnotherIntervalRestartsThePeriod", [](CountedTimer& t) { t.timer->SetInterval(1001); },
     0},
    {"AssigningTheSameHandlerRestartsThePeriod",
     [](CountedTimer& t) { t.timer->SetOnTimer(t.timer->OnTimer()); }, 0},
    {"AssigningAnotherHandlerRestartsThePeriod",
     [](CountedTimer& t) { t.timer->SetOnTimer(t.Handler()); }, 0},
};

TEST_F(TimerTest, ArmingRules) {
  using Clock = std::chrono::steady_clock;
  for (const Touch& touch : kTouches) {
    SCOPED_TRACE(touch.rule);
    bool decided = false;
    for (int round = 0; round < 5 && !decided; ++round) {
      CountedTimer counted(1000);
      const auto started = Clock::now();
      Block(500ms);
      const auto touched = Clock::now();
      touch.touch(counted);
      Block(600ms);
      const auto looked = Clock::now();
      const int fired = counted.Take();
      // Telling the rules apart needs the touch inside the first period, the look after its end
      // and before the end of a restarted one; 50 ms on each side allow for the timer's own
      // clock and the system's rounding of timer periods.
      decided = touched - started < 950ms && looked - started >= 1050ms && looked - touched < 950ms;
      if (decided) {
        EXPECT_EQ(fired, touch.firedAfterTouch);
      }
    }
    if (!decided) ADD_FAILURE() << "the thread overslept in every round; the rule was not checked";
  }
}

TEST_F(TimerTest, OnASetClockTheRhythmHoldsWithoutWaiting) {
  if (test::WindowsTarget()) GTEST_SKIP() << "the Win32 loop's timers are the system's own";
  std::int64_t now = 1'000'000;
  platform::SetLoopClock([&] { return now; });
  struct RestoreClock {
    ~RestoreClock() { platform::SetLoopClock({}); }
  } restore;
  // The watchdog's period: due on the rhythm of its start, late expiries merged into one event.
  CountedTimer counted(10000);
  const struct Step {
    std::int64_t advance;
    int fired;
  } steps[] = {{9999, 0}, {1, 1}, {9999, 0}, {1, 1}, {35000, 1}, {0, 0}, {4999, 0}, {1, 1}};
  for (const Step& step : steps) {
    now += step.advance;
    SCOPED_TRACE(now - 1'000'000);
    EXPECT_EQ(counted.Take(), step.fired);
  }
  // A restart begins a fresh period from the clock's time of the restart.
  now += 2500;
  counted.timer->SetEnabled(false);
  counted.timer->SetEnabled(true);
  now += 9999;
  EXPECT_EQ(counted.Take(), 0);
  now += 1;
  EXPECT_EQ(counted.Take(), 1);
}

TEST_F(TimerTest, IntervalZeroOrNoHandlerNeverFires) {
  CountedTimer zero(0);
  TTimer noHandler(nullptr);
  noHandler.SetInterval(20);
  int sentinelRuns = 0;
  CountedTimer sentinel(150);
  sentinel.timer->SetOnTimer([&](TComponent*) {
    if (++sentinelRuns == 2) {
      sentinel.timer->SetEnabled(false);
      Application->RequestTermination();
    }
  });
  RunLoop();
  EXPECT_EQ(sentinelRuns, 2);
  EXPECT_EQ(zero.fired, 0);
  // Enabled reads true throughout; only the three conditions together arm a timer.
  EXPECT_TRUE(zero.timer->Enabled());
}

TEST_F(TimerTest, ExpiriesDuringABlockingHandlerRunItOnceNotOncePerPeriod) {
  CountedTimer counted(100);
  Block(450ms);  // four periods pass while the thread is busy
  EXPECT_EQ(counted.Take(), 1);
}

TEST_F(TimerTest, StoppingDropsThePendingEvent) {
  struct Stop {
    const char* how;
    void (*stop)(std::unique_ptr<TTimer>&);
  };
  const Stop stops[] = {
      {"disabled", [](std::unique_ptr<TTimer>& t) { t->SetEnabled(false); }},
      {"interval 0", [](std::unique_ptr<TTimer>& t) { t->SetInterval(0); }},
      {"handler removed", [](std::unique_ptr<TTimer>& t) { t->SetOnTimer({}); }},
      {"destroyed", [](std::unique_ptr<TTimer>& t) { t.reset(); }},
  };
  for (const Stop& stop : stops) {
    SCOPED_TRACE(stop.how);
    int fired = 0;
    auto timer = std::make_unique<TTimer>(nullptr);
    timer->SetInterval(30);
    timer->SetOnTimer([&](TComponent*) { ++fired; });
    Block(100ms);
    stop.stop(timer);
    Application->ProcessPendingEvents();
    EXPECT_EQ(fired, 0);
  }
}

TEST_F(TimerTest, PostedEventsComeFirstThenTheQuitRequestAndNoTimerAfterIt) {
  std::vector<std::string> order;
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.SetOnTimer([&](TComponent*) { order.push_back("timer"); });
  Block(100ms);  // the timer's event is pending before the quit request is posted
  Application->RequestTermination();
  platform::PostTask([&] { order.push_back("posted"); });
  RunLoop();
  EXPECT_EQ(order, std::vector<std::string>{"posted"});
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(TimerTest, RequestTerminationLetsTheHandlerFinishAndNoOtherTimerHandlerRuns) {
  std::vector<std::string> order;
  auto handler = [&](TComponent* sender) {
    std::string name = static_cast<TTimer*>(sender)->Name();
    order.push_back(name + " begins");
    Application->RequestTermination();
    order.push_back(name + " ends");
  };
  TTimer first(nullptr), second(nullptr);
  first.SetName("first");
  second.SetName("second");
  first.SetInterval(30);
  second.SetInterval(30);
  first.SetOnTimer(handler);
  second.SetOnTimer(handler);
  Block(100ms);  // both pending when the loop starts
  RunLoop();
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0].substr(order[0].find(' ')), " begins");
  EXPECT_EQ(order[1].substr(order[1].find(' ')), " ends");
}

TEST_F(TimerTest, AFailingPeriodicHandlerIsReportedAndKeepsFiring) {
  int runs = 0;
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.SetOnTimer([&](TComponent*) {
    if (++runs == 3) {
      timer.SetEnabled(false);
      Application->RequestTermination();
    }
    throw Exception("Run " + std::to_string(runs) + " failed");
  });
  RunLoop();
  EXPECT_EQ(runs, 3);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Run 1 failed.");
  EXPECT_EQ(boxes[2].text, "Run 3 failed.");
  EXPECT_EQ(boxes[2].caption, "Tramelo Orvex IP");
}

TEST_F(TimerTest, AnAbortFromAHandlerIsDroppedSilently) {
  int runs = 0;
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.SetOnTimer([&](TComponent*) {
    ++runs;
    timer.SetEnabled(false);
    Application->RequestTermination();
    throw EAbort("quiet");
  });
  RunLoop();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(TimerTest, AOneShotTimerDisablingItselfRunsOnce) {
  int runs = 0;
  TTimer once(nullptr);
  once.SetInterval(20);
  once.SetOnTimer([&](TComponent*) {
    once.SetEnabled(false);
    ++runs;
  });
  int ticks = 0;
  TTimer end(nullptr);
  end.SetInterval(40);
  end.SetOnTimer([&](TComponent*) {
    if (++ticks == 4) Application->RequestTermination();
  });
  RunLoop();
  EXPECT_EQ(runs, 1);
}

TEST_F(TimerTest, AHandlerMayDestroyItsOwnTimerOrReplaceItsHandler) {
  auto* doomed = new TTimer(nullptr);
  doomed->SetInterval(20);
  doomed->SetOnTimer([](TComponent* sender) { delete sender; });
  int replaced = 0;
  TTimer swapping(nullptr);
  swapping.SetInterval(20);
  swapping.SetOnTimer([&](TComponent*) {
    // Destroys the running handler's own closure; the loop must not touch it afterwards.
    swapping.SetOnTimer([&](TComponent*) {
      ++replaced;
      swapping.SetEnabled(false);
      Application->RequestTermination();
    });
  });
  RunLoop();
  EXPECT_EQ(replaced, 1);
}

TEST_F(TimerTest, ProcessPendingEventsRunsWhatIsPendingAndReturnsWithoutSleeping) {
  std::vector<std::string> order;
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.SetOnTimer([&](TComponent*) { order.push_back("timer"); });
  Block(100ms);
  platform::PostTask([&] { order.push_back("posted"); });
  Application->ProcessPendingEvents();
  EXPECT_EQ(order, (std::vector<std::string>{"posted", "timer"}));
  // Nothing pending: it returns at once (the reaper turns a sleep into a failure).
  test::Reaper reaper(10s);
  timer.SetEnabled(false);
  Application->ProcessPendingEvents();
  EXPECT_EQ(order.size(), 2u);
}

TEST_F(TimerTest, AQuitTakenByProcessPendingEventsStillDispatchesTheRest) {
  std::vector<std::string> order;
  Application->RequestTermination();
  platform::PostTask([&] { order.push_back("posted"); });
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.SetOnTimer([&](TComponent*) {
    timer.SetEnabled(false);
    order.push_back("timer");
  });
  Block(100ms);
  Application->ProcessPendingEvents();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(order, (std::vector<std::string>{"posted", "timer"}));
}

}  // namespace
}  // namespace orvex
