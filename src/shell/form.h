#pragma once

#include <string_view>

#include "shell/component.h"

namespace orvex {

namespace platform {
struct Window;
}

// A component with a window. Forms are created hidden; the window of every form other than the
// main form is owned by the main form's window, so none gets a taskbar button.
//
// A derived form's constructor calls LoadDescription(its class name) first: the described
// components are created (owned by the form) in order, their properties applied in stored order
// in the loading state, then each component gets Loaded(). The class's own code runs after.
class TForm : public TComponent {
 public:
  explicit TForm(TComponent* owner);
  // Hides the window, destroys it, then the owned components (newest first).
  ~TForm() override;

  void Show();
  void Hide();
  bool Visible() const { return visible_; }

  // The form's window, created (hidden) on first use.
  platform::Window* Handle();
  bool HandleAllocated() const { return window_ != nullptr; }

  // A close request: asks CloseQuery (always yes here); the main form then ends the program
  // through RequestTermination, any other form only hides.
  void Close();

 protected:
  // Applies the description registered under className (EResNotFound when missing).
  void LoadDescription(std::string_view className);
  // Resolves a stored handler name; the base knows none (EReadError "Invalid property value").
  virtual TNotifyEvent FindMethod(std::string_view name);
  // Makes the platform window; the base makes a hidden, frameless, taskbar-less window.
  // A form with a visible window of its own kind (the wait window) overrides this.
  virtual platform::Window* CreateWindowHandle();
  // Destroys the window made by CreateWindowHandle.
  virtual void DestroyWindowHandle(platform::Window* window);
  // Hides and destroys the window now. ~TForm does this too, but a destructor of the base
  // cannot reach an override, so a form that overrides the two above calls this in its own
  // destructor.
  void DestroyHandle();

 private:
  platform::Window* window_ = nullptr;
  bool visible_ = false;
};

}  // namespace orvex
