#pragma once

#include <cstdint>
#include <string>

#include "stream/stream.h"

namespace orvex {

// A write-only stream that keeps the first `limit` bytes written and counts the rest, so a
// body that is only skipped or reported costs bounded memory whatever its length.
class TBoundedSink : public TStream {
 public:
  explicit TBoundedSink(std::size_t limit) : limit_(limit) {}

  std::int64_t Position() const override { return position_; }
  void SetPosition(std::int64_t position) override { position_ = position; }
  std::int64_t Size() const override { return position_; }
  void SetSize(std::int64_t size) override {
    if (size < position_) position_ = size;
    if (static_cast<std::uint64_t>(size) < kept_.size())
      kept_.resize(static_cast<std::size_t>(size));
  }
  std::size_t Write(const void* data, std::size_t count) override {
    if (kept_.size() < limit_ && static_cast<std::uint64_t>(position_) == kept_.size()) {
      std::size_t room = limit_ - kept_.size();
      kept_.append(static_cast<const char*>(data), count < room ? count : room);
    }
    position_ += static_cast<std::int64_t>(count);
    return count;
  }
  std::size_t Read(void*, std::size_t) override { return 0; }

  const std::string& Text() const { return kept_; }

 private:
  std::size_t limit_;
  std::string kept_;
  std::int64_t position_ = 0;
};

}  // namespace orvex
