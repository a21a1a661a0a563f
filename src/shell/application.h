#pragma once

#include <functional>
#include <new>
#include <string>

#include "core/exception.h"
#include "shell/component.h"

namespace orvex {

class TForm;

// The one application object: owns the main form, runs the single-threaded event loop.
// Event order: posted events first, then a pending quit request, then paints, timer expiries
// last. The loop sleeps while nothing is pending; it never polls.
class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  void Initialize();
  void SetMainFormOnTaskBar(bool value) { mainFormOnTaskBar_ = value; }
  bool MainFormOnTaskBar() const { return mainFormOnTaskBar_; }
  void SetTitle(const std::string& title) { title_ = title; }
  const std::string& Title() const { return title_; }
  void SetShowMainForm(bool value) { showMainForm_ = value; }
  bool ShowMainForm() const { return showMainForm_; }
  TForm* MainForm() const { return mainForm_; }

  // Makes a form owned by the application; `ref` is set before its constructor runs and reset to
  // null when the constructor fails. The first form made this way becomes the main form.
  template <class Form>
  void CreateForm(Form*& ref) {
    static_assert(alignof(Form) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
    // Made in two steps so the form's own constructor already finds itself through `ref`.
    void* memory = ::operator new(sizeof(Form));
    ref = static_cast<Form*>(memory);
    try {
      new (memory) Form(this);  // owned by the application from here on; freed by delete
    } catch (...) {
      ref = nullptr;
      ::operator delete(memory);
      throw;
    }
    AdoptForm(ref);
  }

  // Runs the loop until the quit request is taken.
  void Run();
  bool Terminated() const { return terminated_; }
  // Posts the quit request; the calling handler runs to its end, no timer handler runs after it.
  void RequestTermination();
  // Dispatches every pending event (expired timers included), then returns; never sleeps.
  void ProcessPendingEvents();
  // Reports the failure in flight (call from a catch block): EAbort is dropped, any other
  // Exception goes to ShowErrorBox.
  void ReportFailure(TComponent* sender);
  // The error box: the message (with a "." appended when its last byte compares greater than
  // "."), the application title as caption, an error icon and one OK button.
  void ShowErrorBox(const Exception& failure);

  // The end of the desktop session: ends the process at once after the end-of-program step.
  void EndSession();

  // The end-of-program step (run at process exit once Run has started; tests call it to start
  // afresh): destroys the owned components newest first and forgets the main form.
  void EndProgram();

  // Receives the error box's text and caption instead of the platform box (tests); an empty
  // hook restores the box.
  using ErrorBoxHook = std::function<void(const std::string& text, const std::string& caption)>;
  void SetErrorBoxHook(ErrorBoxHook hook) { errorBoxHook_ = std::move(hook); }

 private:
  void AdoptForm(TForm* form);
  void DispatchGuarded(bool mayWait);

  std::string title_;
  TForm* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool mainFormOnTaskBar_ = false;
  bool terminated_ = false;
  ErrorBoxHook errorBoxHook_;
};

// Exists before the entry code runs and is destroyed after all forms.
extern TApplication* Application;

// The error box text rule, on its own for tests.
std::string ErrorBoxText(const std::string& message);

}  // namespace orvex
