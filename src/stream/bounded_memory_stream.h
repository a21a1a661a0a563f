#pragma once

#include <cstddef>

#include "stream/stream.h"

namespace orvex {

// An in-memory stream that refuses to grow past a limit: a peer cannot make the updater hold more
// than it expects, whatever it sends. A write past the limit raises Exception.
class TBoundedMemoryStream : public TMemoryStream {
 public:
  explicit TBoundedMemoryStream(std::size_t limit) : limit_(limit) {}
  void SetSize(std::int64_t size) override;
  std::size_t Write(const void* data, std::size_t count) override;

 private:
  void Check(std::int64_t size) const;
  std::size_t limit_;
};

}  // namespace orvex
