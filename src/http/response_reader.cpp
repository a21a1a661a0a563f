#include "http/response_reader.h"

#include <algorithm>

#include "core/text.h"
#include "http/http_exception.h"
#include "net/exceptions.h"
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

TNetHTTPReader::TNetHTTPReader(TNetByteSource& source, std::int32_t maxHeaderLines,
                               int maxLineLength)
    : source_(source), maxHeaderLines_(maxHeaderLines), maxLineLength_(maxLineLength) {}

std::string TNetHTTPReader::ReadLine() {
  TNetBuffer& input = source_.Input();
  int scanFrom = 0;
  for (;;) {
    const int end = scanFrom < input.Size() ? input.IndexOf("\n", scanFrom) : -1;
    if (end >= 0 || input.Size() > maxLineLength_) {
      if (end < 0 || end > maxLineLength_) {
        throw ENetReadLnMaxLineLengthExceeded(kTextMaxLineLengthExceeded);
      }
      std::string line = input.ExtractString(end + 1);
      line.pop_back();
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    scanFrom = input.Size();
    if (source_.Fill() == 0) throw ENetConnClosedGracefully(kTextConnClosedGracefully);
  }
}

void TNetHTTPReader::ReadHeaderLines(TNetHeaderList* headers) {
  for (std::int32_t lines = 0;;) {
    std::string line = ReadLine();
    if (line.empty()) return;
    // A peer may not make us hold an endless head.
    if (++lines > maxHeaderLines_) {
      throw ENetHTTPHeaderLimitExceeded(
          FormatMessage("More than %s header lines", std::to_string(maxHeaderLines_)));
    }
    if (headers) headers->Add(std::move(line));
  }
}

bool TNetHTTPReader::IsChunked(const TNetResponseHeaderInfo& head) {
  return head.RawHeaders.Value("Transfer-Encoding").find("chunked") != std::string::npos;
}

void TNetHTTPReader::ReadBody(const TNetResponseHeaderInfo& head, TStream& target) {
  CutBackOnExit cutBack(target);
  if (IsChunked(head)) {
    ReadChunked(target);
  } else if (head.ContentLength() > 0) {
    CopyCounted(target, head.ContentLength());
  } else if (!head.HasContentLength()) {
    CopyUntilEnd(target);
  }
}

void TNetHTTPReader::CopyCounted(TStream& target, std::int64_t count) {
  TNetBuffer& input = source_.Input();
  while (count > 0) {
    if (input.Size() == 0 && source_.Fill() == 0) {
      throw ENetConnClosedGracefully(kTextConnClosedGracefully);
    }
    const int take = static_cast<int>(std::min<std::int64_t>(input.Size(), count));
    input.ExtractToStream(target, take);
    count -= take;
  }
}

void TNetHTTPReader::CopyUntilEnd(TStream& target) {
  TNetBuffer& input = source_.Input();
  do {
    if (input.Size() > 0) input.ExtractToStream(target, input.Size());
  } while (source_.Fill() > 0);
}

std::int64_t TNetHTTPReader::ReadChunkSize() {
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

void TNetHTTPReader::ReadChunked(TStream& target) {
  for (std::int64_t size = ReadChunkSize(); size > 0; size = ReadChunkSize()) {
    CopyCounted(target, size);
    // Data longer than its size line says would otherwise be cut silently.
    if (!ReadLine().empty()) throw ENetHTTPBodyIncomplete("Chunk data does not match its size");
  }
  // Trailer lines, so the source is left at the next response.
  ReadHeaderLines(nullptr);
}

}  // namespace orvex
