#include "platform/file_stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace orvex::platform {
namespace {
thread_local int last_error = 0;

std::int64_t Fail() {
  last_error = errno;
  return -1;
}
int Fd(FileHandle file) {
  return static_cast<int>(file);
}
}  // namespace

FileHandle OpenFile(const std::string& path, FileOpenMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case FileOpenMode::Create:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
    case FileOpenMode::CreateNew:
      // O_EXCL also fails on a symbolic link, dangling or not.
      flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
      break;
    case FileOpenMode::OpenRead:
      flags |= O_RDONLY;
      break;
    case FileOpenMode::OpenReadWrite:
      flags |= O_RDWR;
      break;
  }
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return Fail();
  return fd;
}

FileHandle OpenLockedFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return Fail();
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    Fail();
    ::close(fd);
    return kInvalidFile;
  }
  return fd;
}

void CloseFile(FileHandle file) {
  ::close(Fd(file));
}

std::int64_t ReadFile(FileHandle file, void* data, std::size_t count) {
  ssize_t n;
  do {
    n = ::read(Fd(file), data, count);
  } while (n < 0 && errno == EINTR);
  return n < 0 ? Fail() : n;
}

std::int64_t WriteFile(FileHandle file, const void* data, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(Fd(file), static_cast<const char*>(data) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return done > 0 ? static_cast<std::int64_t>(done) : Fail();
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

std::int64_t SeekFile(FileHandle file, std::int64_t position) {
  off_t result = ::lseek(Fd(file), static_cast<off_t>(position), SEEK_SET);
  return result < 0 ? Fail() : result;
}

std::int64_t FileSize(FileHandle file) {
  struct stat info;
  if (::fstat(Fd(file), &info) != 0) return Fail();
  return info.st_size;
}

bool TruncateFile(FileHandle file, std::int64_t size) {
  if (::ftruncate(Fd(file), static_cast<off_t>(size)) == 0) return true;
  Fail();
  return false;
}

bool FlushFile(FileHandle file) {
  if (::fsync(Fd(file)) == 0) return true;
  Fail();
  return false;
}

std::string LastFileError() {
  return std::strerror(last_error);
}

}  // namespace orvex::platform
