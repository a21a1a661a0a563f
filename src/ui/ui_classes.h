#pragma once

namespace orvex {

// Registers the component classes of the wait window's description: "TReflectionImage",
// "TLabel", "TFormShaper". Safe to call again.
void RegisterUiClasses();

}  // namespace orvex
