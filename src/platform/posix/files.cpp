#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace orvex::platform {

const char kPathSeparator = '/';

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, data, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0700) == 0;
}

bool RemoveFile(const std::string& path) {
  // lstat: a link is judged (and removed) itself, whatever it points to.
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  // A hard link fails when the target exists, so the rename never replaces a file; the unlink
  // then drops the old name. Directories and file systems without links use a checked rename.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0 || ::lstat(from.c_str(), &st) != 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyWholeFile(const std::string& from, const std::string& to) {
  Fd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0) return false;
  struct stat st {};
  if (::fstat(source.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  Fd target(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777));
  if (target.get() < 0) return false;
  static constexpr std::size_t kBlock = 64 * 1024;
  char block[kBlock];
  for (;;) {
    const ssize_t n = ::read(source.get(), block, kBlock);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    if (!WriteAll(target.get(), block, static_cast<std::size_t>(n))) return false;
  }
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (::futimens(target.get(), times) != 0) return false;
  if (::fsync(target.get()) != 0) return false;
  return target.Close();
}

std::int32_t FileAge(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  struct tm local {};
  const time_t seconds = st.st_mtim.tv_sec;
  if (::localtime_r(&seconds, &local) == nullptr) return -1;
  const int year = local.tm_year + 1900;
  if (year < 1980 || year > 2107) return -1;
  const std::uint32_t packed = (static_cast<std::uint32_t>(year - 1980) << 25) |
                               (static_cast<std::uint32_t>(local.tm_mon + 1) << 21) |
                               (static_cast<std::uint32_t>(local.tm_mday) << 16) |
                               (static_cast<std::uint32_t>(local.tm_hour) << 11) |
                               (static_cast<std::uint32_t>(local.tm_min) << 5) |
                               static_cast<std::uint32_t>(local.tm_sec / 2);
  return static_cast<std::int32_t>(packed);
}

std::int64_t FreeDiskSpace(const std::string& directory) {
  struct statvfs st {};
  if (::statvfs(directory.c_str(), &st) != 0) return -1;
  const unsigned long long bytes =
      static_cast<unsigned long long>(st.f_bavail) * static_cast<unsigned long long>(st.f_frsize);
  return bytes > 0x7fffffffffffffffULL ? 0x7fffffffffffffffLL : static_cast<std::int64_t>(bytes);
}

bool FlushDirectory(const std::string& directory) {
  Fd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return false;
  return ::fsync(dir.get()) == 0;
}

bool DirectoryIsPrivate(const std::string& directory) {
  struct stat st {};
  if (::stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  return st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string UserDataDirectory() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && *data != '\0') return data;
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.local/share";
  return {};
}

}  // namespace orvex::platform
