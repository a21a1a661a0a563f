#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Arguments are cut by position from the process's one command-line text. A backslash never
// escapes anything, and a lone pair of quotes is skipped rather than taken as an empty argument.
namespace orvex {

// Cuts the next argument of `text` from `position` on into `param`; returns the position just
// after it (at the separator or the end that stopped it). Separators are the bytes 0x01..0x20;
// double quotes group and are never part of an argument.
std::size_t CutArgument(std::string_view text, std::size_t position, std::string& param);

// The Index-th argument of `commandLine` after its first token (the program's own name);
// empty when there are fewer arguments. Index 0 gives the first token itself.
std::string ArgumentOf(std::string_view commandLine, std::int32_t index);

// Index 0: the executable's path. Index 1 or more: the argument of the process's command line.
// A negative index: the empty text.
std::string CommandArgument(std::int32_t index);

// The part of fileName up to and including its last delimiter; empty when there is none. The
// second byte of a double-byte character is never taken for a delimiter.
std::string DirectoryPart(std::string_view fileName, std::string_view delimiters);
// The same with the platform's delimiters (Windows "\" and ":", POSIX "/").
std::string DirectoryPart(std::string_view fileName);

// The directory of the running executable, with its trailing separator.
std::string ExeDir();

}  // namespace orvex
