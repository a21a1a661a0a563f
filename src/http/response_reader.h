#pragma once

#include <cstdint>
#include <string>

#include "http/header_info.h"
#include "net/byte_source.h"

namespace orvex {

class TStream;

// Reads HTTP/1.1 responses from a byte source: lines, the header block, and the body as its
// framing says (chunked, Content-Length, or until the stream ends). It never reads past the end
// of the body, so the source is left at the next response. A stream that ends early fails
// (ENetConnClosedGracefully); it never passes as a short success.
class TNetHTTPReader {
 public:
  TNetHTTPReader(TNetByteSource& source, std::int32_t maxHeaderLines, int maxLineLength);

  // One line without its end ("\n" or "\r\n"). ENetReadLnMaxLineLengthExceeded past the limit.
  std::string ReadLine();
  // Header lines up to the empty line that ends a head or a trailer, into `headers` (null:
  // read and dropped); more than the limit fails with ENetHTTPHeaderLimitExceeded.
  void ReadHeaderLines(TNetHeaderList* headers);
  // The body framed by `head`, written into `target` from its position; the stream ends at the
  // last body byte, also when the body fails.
  void ReadBody(const TNetResponseHeaderInfo& head, TStream& target);
  // Only the first Transfer-Encoding line counts, its letters as written.
  static bool IsChunked(const TNetResponseHeaderInfo& head);

  void CopyCounted(TStream& target, std::int64_t count);
  void CopyUntilEnd(TStream& target);
  void ReadChunked(TStream& target);
  std::int64_t ReadChunkSize();

 private:
  TNetByteSource& source_;
  std::int32_t maxHeaderLines_;
  int maxLineLength_;
};

}  // namespace orvex
