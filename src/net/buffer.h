#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "net/stack.h"

namespace orvex {

class TStream;

// First-in first-out byte queue: appended at the end, taken from the front by advancing an
// index; compacted once more than GrowthFactor bytes were consumed at the head.
class TNetBuffer {
 public:
  static constexpr int kGrowthFactor = 2048;
  using BytesRemovedEvent = std::function<void(TNetBuffer& buffer, int count)>;

  int Size() const { return size_; }
  int HeadIndex() const { return head_; }
  int Capacity() const { return static_cast<int>(storage_.size()); }
  int GrowthFactor() const { return kGrowthFactor; }
  void SetOnBytesRemoved(BytesRemovedEvent event) { on_bytes_removed_ = std::move(event); }

  // Storage emptied; OnBytesRemoved is not called.
  void Clear();
  // An empty buffer adopts the array as its storage (no copy).
  void Append(std::vector<std::uint8_t>&& bytes);
  void Append(std::span<const std::uint8_t> bytes);
  void Append(std::string_view text);
  void Remove(int count);
  void ExtractBytes(std::vector<std::uint8_t>& bytes, int count = -1, bool append = true);
  void ExtractToStream(TStream& stream, int count = -1);
  std::string ExtractString(int count = -1);
  int IndexOf(std::span<const std::uint8_t> pattern, int start = 0) const;
  int IndexOf(std::string_view pattern, int start = 0) const;
  void CompactHead(bool canShrink);
  // The live bytes, front first.
  std::span<const std::uint8_t> Peek() const {
    return std::span<const std::uint8_t>(storage_).subspan(head_, size_);
  }

 private:
  void CheckEnough(int count) const;

  TNetStackUse stack_use_;
  std::vector<std::uint8_t> storage_;
  int head_ = 0;
  int size_ = 0;
  BytesRemovedEvent on_bytes_removed_;
};

}  // namespace orvex
