#include "stream/stream.h"

#include <algorithm>
#include <cstring>

namespace orvex {

void TMemoryStream::SetPosition(std::int64_t position) {
  position_ = std::max<std::int64_t>(0, position);
}

void TMemoryStream::SetSize(std::int64_t size) {
  bytes_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
  if (position_ > Size()) position_ = Size();
}

std::size_t TMemoryStream::Write(const void* data, std::size_t count) {
  if (count == 0) return 0;
  auto end = static_cast<std::size_t>(position_) + count;
  // Growth follows what is written (the vector's own doubling), never an announced length.
  if (end > bytes_.size()) bytes_.resize(end);
  std::memcpy(bytes_.data() + position_, data, count);
  position_ = static_cast<std::int64_t>(end);
  return count;
}

std::size_t TMemoryStream::Read(void* data, std::size_t count) {
  if (position_ >= Size()) return 0;
  auto available = static_cast<std::size_t>(Size() - position_);
  count = std::min(count, available);
  std::memcpy(data, bytes_.data() + position_, count);
  position_ += static_cast<std::int64_t>(count);
  return count;
}

}  // namespace orvex
