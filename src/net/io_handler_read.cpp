#include <algorithm>
#include <limits>

#include "net/exceptions.h"
#include "net/io_handler.h"
#include "stream/stream.h"

namespace orvex {

std::string TNetIOHandlerStack::ReadLn(std::string_view terminator, int timeout,
                                       int maxLineLength) {
  if (maxLineLength < 0) maxLineLength = MaxLineLength;
  if (terminator.empty()) terminator = "\n";
  read_ln_split_ = false;
  read_ln_timed_out_ = false;
  const int term_length = static_cast<int>(terminator.size());
  int term_pos = -1;
  int scan_from = 0;
  const std::uint32_t start = Ticks();
  bool too_long = false;
  for (;;) {
    const int size = input_buffer_->Size();
    if (size > 0) {
      term_pos = scan_from < size ? input_buffer_->IndexOf(terminator, scan_from) : -1;
      // The next search starts where this one could not have seen a whole terminator.
      scan_from = std::max(0, size - (term_length - 1));
    }
    if (maxLineLength > 0 && term_pos > maxLineLength) {
      too_long = true;
      break;
    }
    if (term_pos >= 0) break;
    if (maxLineLength > 0 && size > maxLineLength) {
      too_long = true;
      break;
    }
    CheckClosed(true, true);
    int r = FillInputBuffer(true, timeout, false);
    read_ln_timed_out_ = r == -1;
    if (!read_ln_timed_out_ && timeout >= 0 &&
        TickDiff(start, Ticks()) >= static_cast<std::uint32_t>(timeout))
      read_ln_timed_out_ = true;
    if (read_ln_timed_out_) return {};
  }
  if (too_long) {
    if (MaxLineAction == maException)
      throw ENetReadLnMaxLineLengthExceeded(kTextMaxLineLengthExceeded);
    read_ln_split_ = true;
    return input_buffer_->ExtractString(maxLineLength);
  }
  std::string line = input_buffer_->ExtractString(term_pos + term_length);
  int length = term_pos;
  if (terminator == "\n" && term_pos > 0 && line[static_cast<std::size_t>(term_pos) - 1] == '\r')
    --length;
  line.resize(static_cast<std::size_t>(length));
  return line;
}

void TNetIOHandlerStack::ReadBytes(std::vector<std::uint8_t>& bytes, int count, bool append) {
  if (count > 0) {
    while (input_buffer_->Size() < count) {
      FillInputBuffer(false, -1, true);
      CheckClosed(true, true);
    }
    input_buffer_->ExtractBytes(bytes, count, append);
  } else if (count == -1) {
    FillInputBuffer(false, ReadTimeout, false);
    CheckClosed(true, true);
    input_buffer_->ExtractBytes(bytes, -1, append);
  }
}

std::int32_t TNetIOHandlerStack::ReadInt32() {
  std::vector<std::uint8_t> bytes;
  ReadBytes(bytes, 4, false);
  std::uint32_t value = static_cast<std::uint32_t>(bytes[0]) << 24 |
                        static_cast<std::uint32_t>(bytes[1]) << 16 |
                        static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
  return static_cast<std::int32_t>(value);
}

// Bytes go from the input buffer straight into the stream as they arrive. The stream is not
// sized in advance from count: a peer's announced length must not decide how much memory or
// disk is taken before the bytes are there.
void TNetIOHandlerStack::ReadStream(TStream& stream, std::int64_t count, bool readUntilClosed) {
  if (count == -1 && !readUntilClosed) count = ReadInt32();
  std::int64_t remaining = readUntilClosed ? std::numeric_limits<std::int64_t>::max() : count;
  BeginWork(wmRead, readUntilClosed ? 0 : std::max<std::int64_t>(0, count));
  auto finish = [&] {
    EndWork(wmRead);
    if (stream.Size() > stream.Position()) stream.SetSize(stream.Position());
  };
  try {
    while (remaining > 0) {
      if (input_buffer_->Size() == 0) {
        try {
          // Raises on a close (the buffer being empty), on a timeout and on socket errors.
          FillInputBuffer(true, -1, true);
        } catch (const ENetConnClosedGracefully&) {
          if (readUntilClosed) break;
          throw;  // fewer bytes than announced: the caller learns it every time
        }
      }
      auto n = static_cast<int>(std::min<std::int64_t>(remaining, input_buffer_->Size()));
      input_buffer_->ExtractToStream(stream, n);
      remaining -= n;
    }
  } catch (...) {
    try {
      finish();
    } catch (const Exception&) {
      // the first failure is the one the caller needs to see
    }
    throw;
  }
  finish();
}

}  // namespace orvex
