#pragma once

#include <cstddef>
#include <string>

#include "net/byte_source.h"

namespace orvex {

// Bytes from memory handed out in slices of a fixed size, as a connection could deliver them;
// the stream ends after the last one.
class TNetMemorySource : public TNetByteSource {
 public:
  explicit TNetMemorySource(std::string bytes, std::size_t sliceSize = 65536);

  TNetBuffer& Input() override { return input_; }
  int Fill() override;
  // Bytes not yet handed to Input.
  std::size_t Pending() const { return bytes_.size() - next_; }

 private:
  std::string bytes_;
  std::size_t sliceSize_;
  std::size_t next_ = 0;
  TNetBuffer input_;
};

}  // namespace orvex
