#include "shell/application.h"

#include <cstdlib>
#include <exception>

#include "platform/events.h"
#include "platform/window.h"
#include "shell/form.h"

namespace orvex {
namespace {

// Exists before any entry code and outlives every form (its destruction comes after the
// end-of-program step registered by Run).
TApplication theApplication;

void AtProgramExit() {
  Application->EndProgram();
  platform::FinalizeEvents();
}

}  // namespace

TApplication* Application = &theApplication;

std::string ErrorBoxText(const std::string& message) {
  // Unsigned byte compare: a multi-byte last character has a last byte above "." too.
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
  platform::InitializeEvents();
  platform::SetApplicationHandlers({
      [this] {
        if (mainForm_) mainForm_->Close();
      },
      [this] { EndSession(); },
  });
}

void TApplication::AdoptForm(TForm* form) {
  if (mainForm_) return;
  mainForm_ = form;
  platform::ConfigureApplicationWindow(mainFormOnTaskBar_);
  form->Handle();  // the main form's window exists from now on (hidden)
}

void TApplication::Run() {
  static bool registered = false;
  if (!registered) {
    registered = true;
    std::atexit(AtProgramExit);
  }
  if (!mainForm_) return;
  if (showMainForm_) mainForm_->Show();
  terminated_ = false;
  // The end flag is tested after each iteration, never before the first.
  do {
    DispatchGuarded(true);
  } while (!terminated_);
}

void TApplication::DispatchGuarded(bool mayWait) {
  try {
    switch (platform::DispatchNextEvent()) {
      case platform::EventOutcome::Quit:
        terminated_ = true;
        break;
      case platform::EventOutcome::Nothing:
        if (mayWait) platform::WaitForEvent();
        break;
      case platform::EventOutcome::Dispatched:
        break;
    }
  } catch (...) {
    ReportFailure(this);
  }
}

void TApplication::RequestTermination() {
  platform::PostQuit();
}

void TApplication::ProcessPendingEvents() {
  for (;;) {
    platform::EventOutcome outcome = platform::EventOutcome::Dispatched;
    try {
      outcome = platform::DispatchNextEvent();
    } catch (...) {
      ReportFailure(this);
      continue;
    }
    if (outcome == platform::EventOutcome::Nothing) return;
    // Whatever is still pending after the quit request runs all the same; the loop ends once
    // control is back in it.
    if (outcome == platform::EventOutcome::Quit) terminated_ = true;
  }
}

void TApplication::ReportFailure(TComponent*) {
  std::exception_ptr failure = std::current_exception();
  if (!failure) return;  // called outside a catch block: nothing to report
  try {
    std::rethrow_exception(failure);
  } catch (const EAbort&) {
    // Dropped silently.
  } catch (const Exception& failure) {
    ShowErrorBox(failure);
  } catch (const std::exception& failure) {
    ShowErrorBox(Exception(failure.what()));
  } catch (...) {
    ShowErrorBox(Exception());
  }
}

void TApplication::ShowErrorBox(const Exception& failure) {
  std::string text = ErrorBoxText(failure.Message());
  if (errorBoxHook_) {
    errorBoxHook_(text, title_);
  } else {
    platform::ShowErrorMessageBox(text, title_);
  }
}

void TApplication::EndSession() {
  EndProgram();
  std::exit(0);  // the exit steps finish the rest; the loop does not return
}

void TApplication::EndProgram() {
  DestroyComponents();
  mainForm_ = nullptr;
  terminated_ = false;
}

}  // namespace orvex
