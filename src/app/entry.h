#pragma once

namespace orvex {

// The process entry: brings up the application object with its title, creates the hidden main
// form and runs the event loop. Returns 0 on every path; a failure before the loop runs is
// shown in the error box.
int ProgramEntry();

}  // namespace orvex
