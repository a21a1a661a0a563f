#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/events.h"
#include "platform/window.h"
#include "shell/form.h"
#include "shell/timer.h"
#include "shell_fixture.h"
#include "support/reaper.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
using Log = std::vector<std::string>;

TEST(ErrorBoxTextTest, AFullStopFollowsALastByteAboveIt) {
  struct Case {
    std::string message, shown;
  };
  const Case cases[] = {
      {"Not enough timers available", "Not enough timers available."},
      {"Socket Error # 10061", "Socket Error # 10061."},
      {"Are you sure?", "Are you sure?."},
      {"Path ends in a slash/", "Path ends in a slash/."},
      {"Already a full stop.", "Already a full stop."},
      {"Exclaimed!", "Exclaimed!"},
      {"Trailing blank ", "Trailing blank "},
      {"Closing bracket)", "Closing bracket)"},
      {"Dash-", "Dash-"},
      {"", ""},
      {"Atualiza\xc3\xa7\xc3\xa3o", "Atualiza\xc3\xa7\xc3\xa3o."},  // a multi-byte last character
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

class ApplicationTest : public test::ShellTest {};

TEST_F(ApplicationTest, TheErrorBoxCarriesTheTitleAsCaption) {
  Application->ShowErrorBox(EInOutError("Unable to write to x"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Unable to write to x.");
  EXPECT_EQ(boxes[0].caption, "Tramelo Orvex IP");
}

TEST_F(ApplicationTest, ReportFailureDropsAnAbortAndShowsEverythingElse) {
  auto report = [](auto thrown) {
    try {
      throw thrown;
    } catch (...) {
      Application->ReportFailure(nullptr);
    }
  };
  report(EAbort("never shown"));
  report(EOutOfResources("Not enough timers available"));
  report(std::runtime_error("plain failure"));
  report(42);
  Application->ReportFailure(nullptr);  // outside a catch block: nothing in flight
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Not enough timers available.");
  EXPECT_EQ(boxes[1].text, "plain failure.");
  EXPECT_EQ(boxes[2].text, "");
}

class TFailing : public TForm {
 public:
  explicit TFailing(TComponent* owner) : TForm(owner) { throw Exception("construction failed"); }
};

TEST_F(ApplicationTest, TheFirstFormCreatedBecomesTheMainFormAndAFailedOneLeavesNull) {
  TFailing* failing = reinterpret_cast<TFailing*>(this);
  EXPECT_THROW(Application->CreateForm(failing), Exception);
  EXPECT_EQ(failing, nullptr);
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_TRUE(Application->Components().empty());

  TForm* first = nullptr;
  TForm* second = nullptr;
  Application->CreateForm(first);
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), first);
  EXPECT_TRUE(first->HandleAllocated());  // the main form's window exists, hidden
  EXPECT_FALSE(first->Visible());
  EXPECT_EQ(Application->Components(), (std::vector<TComponent*>{first, second}));
}

class TSelfAware : public TForm {
 public:
  static TSelfAware* Global;
  explicit TSelfAware(TComponent* owner) : TForm(owner), foundItself(Global == this) {}
  bool foundItself;
};
TSelfAware* TSelfAware::Global = nullptr;

TEST_F(ApplicationTest, TheFormPointerIsSetBeforeTheConstructorRuns) {
  Application->CreateForm(TSelfAware::Global);
  ASSERT_NE(TSelfAware::Global, nullptr);
  EXPECT_TRUE(TSelfAware::Global->foundItself);
}

TEST_F(ApplicationTest, WithoutAMainFormTheLoopReturnsAtOnce) {
  bool dispatched = false;
  platform::PostTask([&] { dispatched = true; });
  test::RunApplicationLoop(10s);
  // The loop never started: the posted work is still waiting and nothing was shown.
  EXPECT_FALSE(dispatched);
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_TRUE(boxes.empty());
  Application->ProcessPendingEvents();
  EXPECT_TRUE(dispatched);
}

TEST_F(ApplicationTest, AFailureEscapingAnEventIsShownAndTheLoopGoesOn) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  Application->SetShowMainForm(false);
  platform::PostTask([] { throw Exception("Posted work failed"); });
  platform::PostTask([] { Application->RequestTermination(); });
  test::RunApplicationLoop(20s);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Posted work failed.");
  EXPECT_FALSE(form->Visible());
}

// A loop kept busy by a periodic timer, ended only from outside.
class CloseTest : public ApplicationTest {
 protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    Application->CreateForm(mainForm);
    Application->SetShowMainForm(false);
    ticker = new TTimer(mainForm);
    ticker->SetInterval(20);
    ticker->SetOnTimer([this](TComponent*) { ++ticks; });
  }
  TForm* mainForm = nullptr;
  TTimer* ticker = nullptr;
  int ticks = 0;
};

TEST_F(CloseTest, ACloseRequestToTheMainFormsWindowEndsTheLoop) {
  platform::PostCloseRequest(mainForm->Handle());
  test::RunApplicationLoop(20s);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(ticks, 0);  // the quit request came before any timer event
}

TEST_F(CloseTest, ACloseRequestFromTheSystemEndsTheLoop) {
  // POSIX: SIGTERM; Windows: WM_CLOSE to the hidden application window.
  platform::RaiseCloseRequest();
  test::RunApplicationLoop(20s);
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(CloseTest, ACloseRequestToAnotherFormOnlyHidesIt) {
  auto* other = new TForm(mainForm);
  other->Show();
  ASSERT_TRUE(other->Visible());
  platform::PostCloseRequest(other->Handle());
  ticker->SetOnTimer([this](TComponent*) {
    if (++ticks == 3) Application->RequestTermination();
  });
  test::RunApplicationLoop(20s);
  EXPECT_FALSE(other->Visible());
  EXPECT_EQ(ticks, 3);
}

// Components that log the start of their destruction.
Log* destructionLog = nullptr;

class TLoggedForm : public TForm {
 public:
  using TForm::TForm;
  ~TLoggedForm() override { destructionLog->push_back(Name()); }
};

class TLoggedTimer : public TTimer {
 public:
  TLoggedTimer(TComponent* owner, const std::string& name) : TTimer(owner) { SetName(name); }
  ~TLoggedTimer() override { destructionLog->push_back(Owner()->Name() + "." + Name()); }
};

// The system's own tree: the main form with its two timers and the launcher form with its
// timers and the updater form; the updater form is destroyed early, as the launcher does.
void BuildTree(TLoggedForm*& main) {
  Application->CreateForm(main);
  main->SetName("FormMain");
  new TLoggedTimer(main, "TimerStart");
  new TLoggedTimer(main, "TimerTerminate");
  auto* system = new TLoggedForm(main);
  system->SetName("FormSystem");
  new TLoggedTimer(system, "TimerLauncher");
  new TLoggedTimer(system, "TimerTerminate");
  auto* update = new TLoggedForm(system);
  update->SetName("FormUpdate");
  // Windows made too: destroying the main form's window takes the windows it owns with it,
  // and each form must still tear its own down once only.
  system->Handle();
  update->Show();
  delete update;
}

TEST_F(ApplicationTest, TheEndOfTheProgramDestroysTheFormsNewestFirstAlongTheirOwners) {
  Log log;
  destructionLog = &log;
  TLoggedForm* main = nullptr;
  BuildTree(main);
  ASSERT_EQ(log, Log{"FormUpdate"});
  log.clear();
  platform::PostTask([] { Application->RequestTermination(); });
  test::RunApplicationLoop(20s);
  Application->EndProgram();
  EXPECT_EQ(log,
            (Log{"FormMain", "FormSystem", "FormSystem.TimerTerminate", "FormSystem.TimerLauncher",
                 "FormMain.TimerTerminate", "FormMain.TimerStart"}));
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_TRUE(Application->Components().empty());
}

void EndTheSessionInsideTheLoop() {
  Log log;
  destructionLog = &log;
  Application->Initialize();
  TLoggedForm* main = nullptr;
  BuildTree(main);
  Application->SetShowMainForm(false);
  // The log goes to standard error as the process ends.
  new TLoggedTimer(main, "Reporter");
  struct Reporter {
    Log* log;
    ~Reporter() {
      for (const std::string& entry : *log) std::fprintf(stderr, "[%s]", entry.c_str());
      std::fflush(stderr);
    }
  };
  static Reporter* reporter = nullptr;
  reporter = new Reporter{&log};
  std::atexit([] { delete reporter; });
  platform::RaiseSessionEnd();
  test::RunApplicationLoop(20s);
  std::fprintf(stderr, "the loop returned\n");
  std::_Exit(7);
}

TEST_F(ApplicationTest, TheEndOfTheSessionEndsTheProcessAtOnceAfterTheEndOfProgramStep) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(EndTheSessionInsideTheLoop(), ::testing::ExitedWithCode(0),
              "\\[FormMain\\]\\[FormMain.Reporter\\]\\[FormSystem\\]");
}

}  // namespace
}  // namespace orvex
