#include "ui/ui_classes.h"

#include "shell/form_description.h"
#include "ui/form_shaper.h"
#include "ui/label.h"
#include "ui/reflection_image.h"

namespace orvex {

void RegisterUiClasses() {
  RegisterComponentClass("TReflectionImage", [](TComponent* owner) -> TComponent* {
    return new TReflectionImage(owner);
  });
  RegisterComponentClass("TLabel",
                         [](TComponent* owner) -> TComponent* { return new TLabel(owner); });
  RegisterComponentClass("TFormShaper",
                         [](TComponent* owner) -> TComponent* { return new TFormShaper(owner); });
}

}  // namespace orvex
