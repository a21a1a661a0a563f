#pragma once

#include <cstdint>
#include <string_view>

#include "shell/form.h"
#include "shell/timer.h"

namespace orvex {

// The hidden main form: one second after start it looks at the first argument and either runs
// a session action (the process ends two seconds later) or hands over to the launcher form.
class TFormMain : public TForm {
 public:
  explicit TFormMain(TComponent* owner);

  TTimer* TimerStart = nullptr;
  TTimer* TimerTerminate = nullptr;

  // The dispatch, run once.
  void TimerStartTimer(TComponent* sender);
  // Ends the process after a session action.
  void TimerTerminateTimer(TComponent* sender);
  // The action's own result, or -1 when nothing was requested.
  std::int32_t RunSessionCommand(std::uint32_t code);

 protected:
  TNotifyEvent FindMethod(std::string_view name) override;
};

// Registers the "TFormMain" form description.
void RegisterMainFormResources();

}  // namespace orvex
