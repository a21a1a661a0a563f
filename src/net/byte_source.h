#pragma once

#include "net/buffer.h"

namespace orvex {

// Where a protocol reader gets its bytes: a buffer of bytes received and not yet consumed, and
// one step that adds more. The connection's I/O handler is one; memory is another, so the
// readers above can be driven without a socket.
class TNetByteSource {
 public:
  virtual ~TNetByteSource() = default;

  virtual TNetBuffer& Input() = 0;
  // Waits for more bytes and appends them to Input: how many came, or 0 when the stream has
  // ended (the peer closed). A wait that runs out or a broken connection raises.
  virtual int Fill() = 0;
};

}  // namespace orvex
