#include "updater/update_lock.h"

#include "platform/file_stream.h"

namespace orvex {

TUpdateLock::TUpdateLock(const std::string& path) : file_(platform::OpenLockedFile(path)) {}

TUpdateLock::~TUpdateLock() {
  // Closing the file gives the lock back; the file itself stays for the next launcher.
  if (Held()) platform::CloseFile(file_);
}

bool TUpdateLock::Held() const {
  return file_ != platform::kInvalidFile;
}

}  // namespace orvex
