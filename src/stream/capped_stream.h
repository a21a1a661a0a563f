#pragma once

#include <cstdint>

#include "stream/filter_stream.h"

namespace orvex {

// Passes everything to another stream but refuses to let it grow past a cap: a body that keeps
// coming past what the update may be fails as soon as it crosses the cap, whatever the framing
// announced. A write or size past the cap raises Exception and reaches nothing.
class TCappedStream : public TFilterStream {
 public:
  TCappedStream(TStream& target, std::int64_t cap) : TFilterStream(target), cap_(cap) {}

  void SetSize(std::int64_t size) override;
  std::size_t Write(const void* data, std::size_t count) override;

 private:
  void Check(std::int64_t size) const;

  std::int64_t cap_;
};

}  // namespace orvex
