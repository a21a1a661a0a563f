#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>

#include "core/ini_text.h"

namespace orvex::platform {

namespace {

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  std::string text;
  char buffer[8192];
  for (;;) {
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      close(fd);
      return std::nullopt;
    }
    if (count == 0) break;
    text.append(buffer, static_cast<std::size_t>(count));
  }
  close(fd);
  return text;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t count = write(fd, text.data() + done, text.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<std::size_t>(count);
  }
  return true;
}

// Writes the new text beside the file, flushes it and moves it over the old one, so the file
// is always either the old or the new text, never half of it.
bool ReplaceFile(const std::string& path, const std::string& text) {
  static std::atomic<unsigned> counter{0};
  const std::string temporary =
      path + ".new-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  struct stat existing {};
  const bool exists = stat(path.c_str(), &existing) == 0;
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, text);
  if (ok && exists) fchmod(fd, existing.st_mode & 07777);
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

}  // namespace

std::string ReadProfileText(const std::string& section, const std::string& key,
                            const std::string& fallback, const std::string& path,
                            std::size_t bufferSize) {
  std::string value = fallback;
  if (auto text = ReadWholeFile(path)) {
    if (auto found = FindIniValue(*text, section, key)) value = std::move(*found);
  }
  if (bufferSize == 0) return {};
  if (value.size() > bufferSize - 1) value.resize(bufferSize - 1);
  return value;
}

bool WriteProfileText(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& path) {
  std::string text;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    // An existing file that cannot be read must not be replaced by one holding the key alone.
    auto existing = ReadWholeFile(path);
    if (!existing) return false;
    text = std::move(*existing);
  }
  auto updated = SetIniValue(text, section, key, value);
  return updated && ReplaceFile(path, *updated);
}

// Nothing is cached: every write has already reached the file.
bool FlushProfile(const std::string&) {
  return true;
}

}  // namespace orvex::platform
