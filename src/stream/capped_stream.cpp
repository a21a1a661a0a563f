#include "stream/capped_stream.h"

#include <string>

#include "core/exception.h"

namespace orvex {

void TCappedStream::Check(std::int64_t size) const {
  if (size > cap_) {
    throw Exception("The download is larger than " + std::to_string(cap_) + " bytes");
  }
}

void TCappedStream::SetSize(std::int64_t size) {
  Check(size);
  target_.SetSize(size);
}

std::size_t TCappedStream::Write(const void* data, std::size_t count) {
  // Compared without adding, so a huge count cannot overflow past the check.
  const std::int64_t position = target_.Position();
  if (position > cap_ || count > static_cast<std::uint64_t>(cap_ - position)) Check(cap_ + 1);
  return target_.Write(data, count);
}

}  // namespace orvex
