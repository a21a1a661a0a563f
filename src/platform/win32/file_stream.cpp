#include "platform/file_stream.h"

#include <windows.h>

namespace orvex::platform {
namespace {
HANDLE Native(FileHandle file) {
  return reinterpret_cast<HANDLE>(file);
}
}  // namespace

FileHandle OpenFile(const std::string& path, FileOpenMode mode) {
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  DWORD share = FILE_SHARE_READ;
  switch (mode) {
    case FileOpenMode::Create:
      access = GENERIC_READ | GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      break;
    case FileOpenMode::CreateNew:
      // Fails when anything, a symbolic link included, stands at the path.
      access = GENERIC_READ | GENERIC_WRITE;
      disposition = CREATE_NEW;
      break;
    case FileOpenMode::OpenRead:
      break;
    case FileOpenMode::OpenReadWrite:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
  }
  // No security attributes: the handle is not inheritable.
  HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return kInvalidFile;
  return reinterpret_cast<FileHandle>(h);
}

FileHandle OpenLockedFile(const std::string& path) {
  HANDLE h =
      CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return kInvalidFile;
  OVERLAPPED at{};
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD error = GetLastError();
    CloseHandle(h);
    SetLastError(error);
    return kInvalidFile;
  }
  return reinterpret_cast<FileHandle>(h);
}

void CloseFile(FileHandle file) {
  CloseHandle(Native(file));
}

std::int64_t ReadFile(FileHandle file, void* data, std::size_t count) {
  DWORD size = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
  DWORD done = 0;
  if (!::ReadFile(Native(file), data, size, &done, nullptr)) return -1;
  return done;
}

std::int64_t WriteFile(FileHandle file, const void* data, std::size_t count) {
  std::size_t total = 0;
  while (total < count) {
    std::size_t left = count - total;
    DWORD size = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD done = 0;
    if (!::WriteFile(Native(file), static_cast<const char*>(data) + total, size, &done, nullptr) ||
        done == 0)
      return total > 0 ? static_cast<std::int64_t>(total) : -1;
    total += done;
  }
  return static_cast<std::int64_t>(total);
}

std::int64_t SeekFile(FileHandle file, std::int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  LARGE_INTEGER now;
  if (!SetFilePointerEx(Native(file), to, &now, FILE_BEGIN)) return -1;
  return now.QuadPart;
}

std::int64_t FileSize(FileHandle file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(Native(file), &size)) return -1;
  return size.QuadPart;
}

bool TruncateFile(FileHandle file, std::int64_t size) {
  return SeekFile(file, size) == size && SetEndOfFile(Native(file));
}

bool FlushFile(FileHandle file) {
  return FlushFileBuffers(Native(file)) != 0;
}

std::string LastFileError() {
  DWORD code = GetLastError();
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                        text[length - 1] == ' ' || text[length - 1] == '.'))
    text[--length] = 0;
  return std::string(text, length);
}

}  // namespace orvex::platform
