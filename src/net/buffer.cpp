#include "net/buffer.h"

#include <algorithm>
#include <cstring>

#include "net/exceptions.h"
#include "stream/stream.h"

namespace orvex {

void TNetBuffer::Clear() {
  std::vector<std::uint8_t>().swap(storage_);
  head_ = 0;
  size_ = 0;
}

void TNetBuffer::Append(std::vector<std::uint8_t>&& bytes) {
  if (bytes.empty()) return;
  if (size_ == 0) {
    if (bytes.size() > 2147483647u) throw ENetTooMuchDataInBuffer(kTextTooMuchDataInBuffer);
    // Adopted as the storage: the receive path hands over each block without a copy.
    storage_ = std::move(bytes);
    head_ = 0;
    size_ = static_cast<int>(storage_.size());
    return;
  }
  Append(std::span<const std::uint8_t>(bytes));
}

void TNetBuffer::Append(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  if (static_cast<std::int64_t>(size_) + static_cast<std::int64_t>(bytes.size()) > 2147483647)
    throw ENetTooMuchDataInBuffer(kTextTooMuchDataInBuffer);
  const int n = static_cast<int>(bytes.size());
  if (!storage_.empty() && bytes.data() >= storage_.data() &&
      bytes.data() < storage_.data() + storage_.size()) {
    // Bytes from this buffer's own storage would move under the copy: take them out first.
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    Append(std::span<const std::uint8_t>(copy));
    return;
  }
  CompactHead(false);
  if (Capacity() - size_ < n) storage_.resize(static_cast<std::size_t>(size_) + n + kGrowthFactor);
  std::memcpy(storage_.data() + size_, bytes.data(), bytes.size());
  size_ += n;
}

void TNetBuffer::Append(std::string_view text) {
  Append(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                       text.size()));
}

void TNetBuffer::Remove(int count) {
  if (count <= 0) return;
  if (count < size_) {
    head_ += count;
    size_ -= count;
    if (head_ > kGrowthFactor) CompactHead(true);
  } else {
    Clear();
  }
  if (on_bytes_removed_) on_bytes_removed_(*this, count);
}

void TNetBuffer::CompactHead(bool canShrink) {
  if (head_ == 0) return;
  std::memmove(storage_.data(), storage_.data() + head_, static_cast<std::size_t>(size_));
  head_ = 0;
  if (canShrink && Capacity() - size_ > kGrowthFactor) {
    storage_.resize(static_cast<std::size_t>(size_) + kGrowthFactor);
    storage_.shrink_to_fit();
  }
}

void TNetBuffer::CheckEnough(int count) const {
  if (count > size_)
    throw ENetNotEnoughDataInBuffer(std::string(kTextNotEnoughDataInBuffer) + " (" +
                                    std::to_string(count) + "/" + std::to_string(size_) + ")");
}

void TNetBuffer::ExtractBytes(std::vector<std::uint8_t>& bytes, int count, bool append) {
  if (count == -1) count = size_;
  if (count <= 0) return;
  CheckEnough(count);
  const auto* from = storage_.data() + head_;
  if (append) {
    bytes.insert(bytes.end(), from, from + count);
  } else {
    if (bytes.size() < static_cast<std::size_t>(count))
      bytes.resize(static_cast<std::size_t>(count));
    std::memcpy(bytes.data(), from, static_cast<std::size_t>(count));
  }
  Remove(count);
}

void TNetBuffer::ExtractToStream(TStream& stream, int count) {
  if (count == -1) count = size_;
  CompactHead(true);
  if (count <= 0) return;
  CheckEnough(count);
  std::size_t written = stream.Write(storage_.data() + head_, static_cast<std::size_t>(count));
  if (written != static_cast<std::size_t>(count)) throw EInOutError("Stream write error");
  Remove(count);
}

std::string TNetBuffer::ExtractString(int count) {
  if (count == -1) count = size_;
  if (count <= 0) return {};
  CheckEnough(count);
  std::string text(reinterpret_cast<const char*>(storage_.data() + head_),
                   static_cast<std::size_t>(count));
  Remove(count);
  return text;
}

int TNetBuffer::IndexOf(std::span<const std::uint8_t> pattern, int start) const {
  if (size_ == 0) return -1;
  if (pattern.empty()) throw ENetException(kTextBufferTerminator);
  if (start < 0 || start >= size_) throw ENetException(kTextBufferStart);
  const int length = static_cast<int>(pattern.size());
  const std::uint8_t* live = storage_.data() + head_;
  for (int i = start; i + length <= size_; ++i) {
    // Look for the first byte with memchr, then compare the rest.
    const void* hit =
        std::memchr(live + i, pattern[0], static_cast<std::size_t>(size_ - length - i + 1));
    if (hit == nullptr) return -1;
    i = static_cast<int>(static_cast<const std::uint8_t*>(hit) - live);
    if (std::memcmp(live + i, pattern.data(), pattern.size()) == 0) return i;
  }
  return -1;
}

int TNetBuffer::IndexOf(std::string_view pattern, int start) const {
  return IndexOf(std::span<const std::uint8_t>(
                     reinterpret_cast<const std::uint8_t*>(pattern.data()), pattern.size()),
                 start);
}

}  // namespace orvex
