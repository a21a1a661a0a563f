#pragma once

namespace orvex {

class TFormMain;
class TFormSystem;
class TFormUpdate;
class TFormWait;

// One process-wide pointer per form class, null until the code that creates the form stores
// it. Destroying a form does not clear its pointer.
extern TFormMain* FormMain;
extern TFormSystem* FormSystem;
extern TFormUpdate* FormUpdate;
extern TFormWait* FormWait;

}  // namespace orvex

#include <string>
#include <string_view>

#include "core/exception.h"
#include "shell/component.h"

namespace orvex {

// The component of a form's description by its name and class; a description that lacks it
// fails the form's construction instead of leaving a null pointer behind.
template <class T>
T* DescribedComponent(const TComponent& form, std::string_view name) {
  T* component = dynamic_cast<T*>(form.FindComponent(name));
  if (component == nullptr) {
    throw EComponentError(FormatMessage("Component %s not found", std::string(name)));
  }
  return component;
}

}  // namespace orvex
