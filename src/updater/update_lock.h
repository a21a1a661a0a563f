#pragma once

#include <cstdint>
#include <string>

namespace orvex {

// One updater per data directory: held around a download and its installation, so a second
// launcher started at the same moment never writes the files the first one is writing. Taken
// without waiting; a launcher that does not get it leaves updating to the holder.
class TUpdateLock {
 public:
  // Tries to take the lock on the lock file at `path` (created when missing).
  explicit TUpdateLock(const std::string& path);
  ~TUpdateLock();
  TUpdateLock(const TUpdateLock&) = delete;
  TUpdateLock& operator=(const TUpdateLock&) = delete;

  bool Held() const;

 private:
  std::intptr_t file_;
};

}  // namespace orvex
