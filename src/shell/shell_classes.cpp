#include "shell/shell_classes.h"

#include "shell/form_description.h"
#include "shell/timer.h"

namespace orvex {

void RegisterShellClasses() {
  RegisterComponentClass("TTimer", [](TComponent* owner) -> TComponent* {
    return new TTimer(owner);  // owned by `owner` from here on
  });
}

}  // namespace orvex
