#include "platform/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace orvex::platform {

bool AppendToFile(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // One write for the whole line, so lines of two writers never interleave within a line.
  const char* data = bytes.data();
  std::size_t count = bytes.size();
  bool written = true;
  while (count > 0) {
    const ssize_t n = ::write(fd, data, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      written = false;
      break;
    }
    data += n;
    count -= static_cast<std::size_t>(n);
  }
  return ::close(fd) == 0 && written;
}

std::int64_t FileLength(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

bool CurrentLocalTime(LocalTimeStamp& stamp) {
  timespec now{};
  if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
  std::tm local{};
  if (::localtime_r(&now.tv_sec, &local) == nullptr) return false;
  stamp.year = local.tm_year + 1900;
  stamp.month = local.tm_mon + 1;
  stamp.day = local.tm_mday;
  stamp.hour = local.tm_hour;
  stamp.minute = local.tm_min;
  stamp.second = local.tm_sec;
  stamp.millisecond = static_cast<int>(now.tv_nsec / 1000000);
  stamp.offsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
  return true;
}

}  // namespace orvex::platform
