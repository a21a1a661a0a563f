#pragma once

#include <string>

namespace orvex {

// The settings that become file names and command-line words are taken only in a safe form;
// anything else raises Exception with a text naming the setting, for the error box.

// A jar name names a file in the install and data directories and nothing else: not empty, no
// path separator ("/", "\", ":"), no "..", no double quote and no control character (which would
// end a quoted word on the Windows command line or a line in the settings file).
void CheckJarName(const std::string& jarName);
// The Java heap in MB: 1 to 7 decimal digits, not zero; it becomes "-Xmx<memory>m".
void CheckMemory(const std::string& memory);

}  // namespace orvex
