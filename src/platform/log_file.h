#pragma once

#include <cstdint>
#include <string>

// What the launcher's log needs from the system: appending a line to a file and the local time
// with its offset from UTC. One request each; failures are reported by return value.
namespace orvex::platform {

// Appends the bytes at the file's end, creating the file when it is missing (never through a
// symbolic link on POSIX). False when the file cannot be opened or written.
bool AppendToFile(const std::string& path, const std::string& bytes);
// The file's size in bytes; -1 when it is missing or not a regular file.
std::int64_t FileLength(const std::string& path);

// A moment in local time to the millisecond, with the zone's offset from UTC at that moment.
struct LocalTimeStamp {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int offsetMinutes = 0;  // local time minus UTC (east of Greenwich is positive)
};
// False when the system cannot say.
bool CurrentLocalTime(LocalTimeStamp& stamp);

}  // namespace orvex::platform
