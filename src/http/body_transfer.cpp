// Response body framing: chunked, Content-Length, or until the peer closes. A body that ends
// before its framing says it is complete is a failure, never a short success.
#include <algorithm>

#include "core/text.h"
#include "http/http_exception.h"
#include "http/net_http.h"
#include "net/buffer.h"
#include "stream/bounded_sink.h"
#include "stream/stream.h"

namespace orvex {

namespace {

// Sixteen hex digits would overflow a signed 64-bit size; no real chunk comes near this.
constexpr std::size_t kMaxChunkSizeDigits = 15;

// Cuts a stream that held bytes beyond its position back to the position, also on failure.
class CutBackOnExit {
 public:
  explicit CutBackOnExit(TStream& stream) : stream_(stream) {}
  ~CutBackOnExit() {
    try {
      if (stream_.Size() > stream_.Position()) stream_.SetSize(stream_.Position());
    } catch (...) {
      // The body's own outcome matters more than a failing trim.
    }
  }
  CutBackOnExit(const CutBackOnExit&) = delete;
  CutBackOnExit& operator=(const CutBackOnExit&) = delete;

 private:
  TStream& stream_;
};

}  // namespace

void TNetHTTP::CopyCounted(TStream& target, std::int64_t count) {
  TNetIOHandlerStack& io = IO();
  while (count > 0) {
    TNetBuffer& input = *io.InputBuffer();
    if (input.Size() == 0) {
      // Raises ENetConnClosedGracefully when the peer closes before the count is reached.
      io.FillInputBuffer(true);
      continue;
    }
    int take = static_cast<int>(std::min<std::int64_t>(input.Size(), count));
    input.ExtractToStream(target, take);
    count -= take;
  }
}

void TNetHTTP::CopyUntilClosed(TStream& target) {
  TNetIOHandlerStack& io = IO();
  for (;;) {
    TNetBuffer& input = *io.InputBuffer();
    if (input.Size() > 0) {
      input.ExtractToStream(target, input.Size());
      continue;
    }
    if (io.FillInputBuffer(false) <= 0) return;
  }
}

std::int64_t TNetHTTP::ReadChunkSize() {
  std::string line = Trim(ReadLine());
  // The size is the hexadecimal number before any ";" extension.
  line = Trim(line.substr(0, line.find(';')));
  line = line.substr(0, line.find(' '));
  bool valid = !line.empty() && line.size() <= kMaxChunkSizeDigits &&
               std::all_of(line.begin(), line.end(), [](char c) {
                 return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
               });
  if (!valid) throw ENetHTTPBodyIncomplete("Invalid chunk size");
  std::int64_t size = 0;
  for (char c : line) {
    int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    size = size * 16 + digit;
  }
  return size;
}

void TNetHTTP::ReadChunked(TStream& target) {
  for (std::int64_t size = ReadChunkSize(); size > 0; size = ReadChunkSize()) {
    CopyCounted(target, size);
    // Data longer than its size line says would otherwise be cut silently.
    if (!ReadLine().empty()) throw ENetHTTPBodyIncomplete("Chunk data does not match its size");
  }
  // Trailer lines up to the empty line, so the connection is left at the next response.
  for (std::int32_t lines = 0; !ReadLine().empty();) {
    if (++lines > MaxHeaderLines) {
      throw ENetHTTPHeaderLimitExceeded(
          FormatMessage("More than %s header lines", std::to_string(MaxHeaderLines)));
    }
  }
}

void TNetHTTP::ReadBody() {
  TStream* target = response_.BodyStream;
  if (!target) return;
  CutBackOnExit cutBack(*target);
  // Only the first Transfer-Encoding line counts, its letters as written.
  if (response_.RawHeaders.Value("Transfer-Encoding").find("chunked") != std::string::npos) {
    DoStatus(hsStatusText, "Chunk Started");
    ReadChunked(*target);
  } else if (response_.ContentLength() > 0) {
    CopyCounted(*target, response_.ContentLength());
  } else if (!response_.HasContentLength()) {
    CopyUntilClosed(*target);
  }
}

void TNetHTTP::ReadBodyInto(TStream& scratch) {
  TStream* previous = response_.BodyStream;
  response_.BodyStream = &scratch;
  try {
    ReadBody();
  } catch (...) {
    response_.BodyStream = previous;
    throw;
  }
  response_.BodyStream = previous;
}

void TNetHTTP::DiscardBody() {
  TBoundedSink scratch(0);
  ReadBodyInto(scratch);
}

}  // namespace orvex
