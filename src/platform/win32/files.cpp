#include "platform/files.h"

#include <windows.h>

namespace orvex::platform {

const char kPathSeparator = '\\';

bool FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RemoveFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) != 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return ::MoveFileA(from.c_str(), to.c_str()) != 0;  // fails when the target exists
}

bool CopyWholeFile(const std::string& from, const std::string& to) {
  if (::CopyFileA(from.c_str(), to.c_str(), TRUE) == 0) return false;
  // CopyFileA leaves the bytes in the cache; push them to the disk before the copy is published.
  HANDLE file = ::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = ::FlushFileBuffers(file) != 0;
  ::CloseHandle(file);
  return flushed;
}

std::int32_t FileAge(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) == 0) return -1;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return -1;
  FILETIME local{};
  WORD date = 0;
  WORD time = 0;
  if (::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) == 0 ||
      ::FileTimeToDosDateTime(&local, &date, &time) == 0) {
    return -1;
  }
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(date) << 16) | time);
}

std::int64_t FreeDiskSpace(const std::string& directory) {
  ULARGE_INTEGER available{};
  if (::GetDiskFreeSpaceExA(directory.c_str(), &available, nullptr, nullptr) == 0) return -1;
  return available.QuadPart > 0x7fffffffffffffffULL ? 0x7fffffffffffffffLL
                                                    : static_cast<std::int64_t>(available.QuadPart);
}

bool FlushDirectory(const std::string&) {
  return true;
}

bool DirectoryIsPrivate(const std::string& directory) {
  return DirectoryExists(directory);
}

std::string UserDataDirectory() {
  char buffer[1024];
  const DWORD length = ::GetEnvironmentVariableA("APPDATA", buffer, sizeof buffer);
  // A value that does not fit is treated like an unset variable.
  if (length == 0 || length >= sizeof buffer) return {};
  return std::string(buffer, length);
}

}  // namespace orvex::platform
