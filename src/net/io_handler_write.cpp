#include <algorithm>

#include "net/exceptions.h"
#include "net/io_handler.h"
#include "stream/stream.h"

namespace orvex {

void TNetIOHandlerStack::Write(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  if (write_buffer_) {
    write_buffer_->Append(bytes);
    if (write_buffer_threshold_ > 0 && write_buffer_->Size() >= write_buffer_threshold_)
      WriteBufferFlush(write_buffer_threshold_);
    return;
  }
  SendDirect(bytes);
}

void TNetIOHandlerStack::Write(std::string_view text) {
  Write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                      text.size()));
}

void TNetIOHandlerStack::WriteLn(std::string_view text) {
  std::string line(text);
  line += "\r\n";
  Write(std::string_view(line));
}

void TNetIOHandlerStack::SendDirect(std::span<const std::uint8_t> bytes) {
  CheckClosed(true, true);
  if (tls_) {
    std::vector<std::uint8_t> records = tls_->Encrypt(bytes);
    SendRaw(records, false);
    DoWork(wmWrite, static_cast<std::int64_t>(bytes.size()));
    return;
  }
  SendRaw(bytes, true);
}

void TNetIOHandlerStack::SendRaw(std::span<const std::uint8_t> bytes, bool countWork) {
  std::size_t offset = 0;
  do {
    std::size_t left = bytes.size() - offset;
    auto part = bytes.subspan(offset, std::min<std::size_t>(left, 0x40000000));
    int n = binding_->Send(part);
    closed_gracefully_ = n == 0;
    CheckClosed(true, false);
    if (countWork) DoWork(wmWrite, n);
    offset += static_cast<std::size_t>(n);
  } while (offset < bytes.size());
}

void TNetIOHandlerStack::Write(TStream& stream, std::int64_t size, bool writeSize) {
  if (size < 0) {
    size = stream.Size() - stream.Position();
  } else if (size == 0) {
    stream.SetPosition(0);
    size = stream.Size();
  }
  if (size > 2147483647) throw ENetIoHandlerRequiresLargeStream("");
  if (writeSize) {
    auto value = static_cast<std::uint32_t>(size);
    std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
        static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    Write(std::span<const std::uint8_t>(bytes));
  }
  BeginWork(wmWrite, size);
  try {
    std::vector<std::uint8_t> block;
    while (size > 0) {
      block.resize(
          static_cast<std::size_t>(std::min<std::int64_t>(size, std::max(1, SendBufferSize))));
      std::size_t n = stream.Read(block.data(), block.size());
      if (n == 0) throw ENetNoDataToRead(kTextNoDataToRead);
      Write(std::span<const std::uint8_t>(block.data(), n));
      size -= static_cast<std::int64_t>(n);
    }
  } catch (...) {
    EndWork(wmWrite);
    throw;
  }
  EndWork(wmWrite);
}

void TNetIOHandlerStack::WriteBufferOpen(int threshold) {
  if (write_buffer_)
    write_buffer_->Clear();
  else
    write_buffer_ = std::make_unique<TNetBuffer>();
  write_buffer_threshold_ = threshold;
}

void TNetIOHandlerStack::WriteBufferFlush(int count) {
  if (!write_buffer_ || write_buffer_->Size() == 0) return;
  std::vector<std::uint8_t> bytes;
  write_buffer_->ExtractBytes(bytes, count < 0 ? -1 : std::min(count, write_buffer_->Size()));
  SendDirect(bytes);
}

void TNetIOHandlerStack::WriteBufferClose() {
  try {
    WriteBufferFlush(-1);
  } catch (...) {
    write_buffer_.reset();
    throw;
  }
  write_buffer_.reset();
}

void TNetIOHandlerStack::WriteBufferClear() {
  if (write_buffer_) write_buffer_->Clear();
}

void TNetIOHandlerStack::WriteBufferCancel() {
  WriteBufferClear();
  WriteBufferClose();
}

}  // namespace orvex
