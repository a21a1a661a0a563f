#pragma once

#include <cstdint>

#include "stream/stream.h"

namespace orvex {

// A stream that passes every call to the stream beneath; a filter overrides only the calls it
// watches or refuses (a cap, a digest, a progress report).
class TFilterStream : public TStream {
 public:
  explicit TFilterStream(TStream& target) : target_(target) {}

  std::int64_t Position() const override { return target_.Position(); }
  void SetPosition(std::int64_t position) override { target_.SetPosition(position); }
  std::int64_t Size() const override { return target_.Size(); }
  void SetSize(std::int64_t size) override { target_.SetSize(size); }
  std::size_t Write(const void* data, std::size_t count) override {
    return target_.Write(data, count);
  }
  std::size_t Read(void* data, std::size_t count) override { return target_.Read(data, count); }

 protected:
  TStream& target_;
};

}  // namespace orvex
