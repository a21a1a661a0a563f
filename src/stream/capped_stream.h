#pragma once

#include <cstdint>

#include "stream/stream.h"

namespace orvex {

// Passes everything to another stream but refuses to let it grow past a cap: a body that keeps
// coming past what the update may be fails as soon as it crosses the cap, whatever the framing
// announced. A write or size past the cap raises Exception and reaches nothing.
class TCappedStream : public TStream {
 public:
  TCappedStream(TStream& target, std::int64_t cap) : target_(target), cap_(cap) {}

  std::int64_t Position() const override { return target_.Position(); }
  void SetPosition(std::int64_t position) override { target_.SetPosition(position); }
  std::int64_t Size() const override { return target_.Size(); }
  void SetSize(std::int64_t size) override;
  std::size_t Write(const void* data, std::size_t count) override;
  std::size_t Read(void* data, std::size_t count) override { return target_.Read(data, count); }

 private:
  void Check(std::int64_t size) const;

  TStream& target_;
  std::int64_t cap_;
};

}  // namespace orvex
