#pragma once

#include <string>

#include "platform/process.h"

namespace orvex {

// The start of the Java application: the runtime, "-Xmx" + memory + "m", "-jar", the jar, the
// argument and ExeDir. The command-line text puts the runtime, the jar and ExeDir in double
// quotes; the argument vector holds the same words unquoted.
platform::ProcessCommand JavaCommand(const std::string& java, const std::string& memory,
                                     const std::string& jar, const std::string& argument,
                                     const std::string& exeDir);

}  // namespace orvex
