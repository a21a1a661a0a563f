#pragma once

#include <cstddef>
#include <string>

// Private-profile (INI) files. Windows: the system's private-profile functions. POSIX: our own
// reader and writer with the same rules (names without case, blanks trimmed, one pair of quotes
// removed, ';' comment lines, first key wins); a write replaces the file whole.
namespace orvex::platform {

// The value of the key, or `fallback` when the file, section or key is missing; cut to
// bufferSize - 1 characters.
std::string ReadProfileText(const std::string& section, const std::string& key,
                            const std::string& fallback, const std::string& path,
                            std::size_t bufferSize);
// Sets the key, creating file and section as needed. False when the platform reports failure.
bool WriteProfileText(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& path);
// Flushes the platform's cached copy of the file.
bool FlushProfile(const std::string& path);

}  // namespace orvex::platform
