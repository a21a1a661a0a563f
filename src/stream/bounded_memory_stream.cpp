#include "stream/bounded_memory_stream.h"

#include "core/exception.h"

namespace orvex {

void TBoundedMemoryStream::Check(std::int64_t size) const {
  if (size < 0 || static_cast<std::uint64_t>(size) > limit_) {
    throw Exception("The response is larger than " + std::to_string(limit_) + " bytes");
  }
}

void TBoundedMemoryStream::SetSize(std::int64_t size) {
  Check(size);
  TMemoryStream::SetSize(size);
}

std::size_t TBoundedMemoryStream::Write(const void* data, std::size_t count) {
  Check(Position() + static_cast<std::int64_t>(count));
  return TMemoryStream::Write(data, count);
}

}  // namespace orvex
