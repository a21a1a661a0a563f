#include "platform/log_file.h"

#include <windows.h>

namespace orvex::platform {

namespace {

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

}  // namespace

bool AppendToFile(const std::string& path, const std::string& bytes) {
  // Others may read, append to, rename or delete the file meanwhile (a second launcher, the
  // rotation, the support desk's viewer).
  HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
      written == bytes.size();
  return ::CloseHandle(file) != 0 && ok;
}

std::int64_t FileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                   data.nFileSizeLow);
}

bool CurrentLocalTime(LocalTimeStamp& stamp) {
  // One instant read once, converted to local time by the zone rules in force at it; the
  // offset is the difference of the two, so it always matches the printed time.
  FILETIME utcFile{};
  ::GetSystemTimeAsFileTime(&utcFile);
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  FILETIME localFile{};
  if (!::FileTimeToSystemTime(&utcFile, &utc)) return false;
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return false;
  if (!::SystemTimeToFileTime(&local, &localFile)) return false;
  stamp.year = local.wYear;
  stamp.month = local.wMonth;
  stamp.day = local.wDay;
  stamp.hour = local.wHour;
  stamp.minute = local.wMinute;
  stamp.second = local.wSecond;
  stamp.millisecond = local.wMilliseconds;
  // 100 ns ticks; zone offsets are whole minutes.
  const std::int64_t difference = Ticks(localFile) - Ticks(utcFile);
  const std::int64_t perMinute = 600000000;
  stamp.offsetMinutes = static_cast<int>(
      (difference + (difference >= 0 ? perMinute / 2 : -perMinute / 2)) / perMinute);
  return true;
}

}  // namespace orvex::platform
