#pragma once

namespace orvex {

// Registers the shell's component classes ("TTimer") for the form description loader.
void RegisterShellClasses();

}  // namespace orvex
