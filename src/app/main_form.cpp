#include "app/main_form.h"

#include <string>

#include "launcher/system_form.h"
#include "session/session_command.h"
#include "shell/application.h"
#include "shell/command_line.h"
#include "shell/forms.h"

namespace orvex {

namespace {

struct SessionWord {
  const char* word;
  std::uint32_t code;
};

// Compared in this order, exactly and with case.
constexpr SessionWord kSessionWords[] = {
    {"lock", kSessionLock},     {"logoff", kSessionLogoff},   {"shutdown", kSessionShutdown},
    {"reboot", kSessionReboot}, {"suspend", kSessionSuspend},
};

}  // namespace

TFormMain::TFormMain(TComponent* owner) : TForm(owner) {
  LoadDescription("TFormMain");
  TimerStart = DescribedComponent<TTimer>(*this, "TimerStart");
  TimerTerminate = DescribedComponent<TTimer>(*this, "TimerTerminate");
  Application->SetShowMainForm(false);
  TimerStart->SetEnabled(true);
}

TNotifyEvent TFormMain::FindMethod(std::string_view name) {
  if (name == "TimerStartTimer") return [this](TComponent* sender) { TimerStartTimer(sender); };
  if (name == "TimerTerminateTimer") {
    return [this](TComponent* sender) { TimerTerminateTimer(sender); };
  }
  return TForm::FindMethod(name);
}

void TFormMain::TimerStartTimer(TComponent*) {
  TimerStart->SetEnabled(false);
  for (const SessionWord& word : kSessionWords) {
    // Fetched afresh for each word; arguments after the first are never looked at.
    if (CommandArgument(1) == word.word) {
      RunSessionCommand(word.code);
      TimerTerminate->SetEnabled(true);
      return;
    }
  }
  if (FormSystem == nullptr) {
    try {
      FormSystem = new TFormSystem(FormMain);  // owned by FormMain
    } catch (...) {
      // Refused settings: the box says why, and the launcher ends once it is closed (armed only
      // then, so the box is not taken away by the end).
      Application->ReportFailure(this);
      TimerTerminate->SetEnabled(true);
      return;
    }
  }
  // A close request or the session's end that came during the update (it blocks the loop) is
  // taken now: the end of the session ends the launcher here, before an application starts.
  Application->ProcessPendingEvents();
  FormSystem->Launch("app");
}

void TFormMain::TimerTerminateTimer(TComponent*) {
  TimerTerminate->SetEnabled(false);
  Application->RequestTermination();
}

std::int32_t TFormMain::RunSessionCommand(std::uint32_t code) {
  return PerformSessionCommand(code);
}

void RegisterMainFormResources() {
  FormDescription description;
  description.components = {
      {"TTimer", "TimerStart", {{"Enabled", false}, {"OnTimer", MethodRef{"TimerStartTimer"}}}},
      {"TTimer",
       "TimerTerminate",
       {{"Enabled", false},
        {"Interval", std::int64_t{2000}},
        {"OnTimer", MethodRef{"TimerTerminateTimer"}}}},
  };
  RegisterFormDescription("TFormMain", std::move(description));
}

}  // namespace orvex
