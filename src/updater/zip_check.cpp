#include "updater/zip_check.h"

#include <algorithm>
#include <string>
#include <vector>

#include "stream/stream.h"
#include "core/exception.h"

namespace orvex {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::int64_t kEndSize = 22;
constexpr std::int64_t kMaxCommentSize = 0xFFFF;
constexpr std::int64_t kZip64LocatorSize = 20;
constexpr std::int64_t kZip64EndSize = 56;
constexpr std::int64_t kCentralHeaderSize = 46;
constexpr std::int64_t kLocalHeaderSize = 30;

std::uint16_t U16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(U16(p)) | (static_cast<std::uint32_t>(U16(p + 2)) << 16);
}
std::uint64_t U64(const unsigned char* p) {
  return static_cast<std::uint64_t>(U32(p)) | (static_cast<std::uint64_t>(U32(p + 4)) << 32);
}

[[noreturn]] void Fail(const std::string& reason) {
  throw Exception("The download is not a whole zip archive: " + reason);
}

void ReadAt(TStream& archive, std::int64_t at, unsigned char* data, std::size_t count) {
  archive.SetPosition(at);
  std::size_t done = 0;
  while (done < count) {
    const std::size_t n = archive.Read(data + done, count - done);
    if (n == 0) Fail("it ends early");
    done += n;
  }
}

// Reads the central directory front to back in blocks, so its size costs no memory.
class SequentialReader {
 public:
  SequentialReader(TStream& archive, std::int64_t at, std::int64_t end)
      : archive_(archive), at_(at), end_(end) {}
  std::int64_t Position() const { return at_; }
  // The next `count` bytes (at most kBlock), or null when the directory ends first.
  const unsigned char* Take(std::size_t count) {
    if (static_cast<std::int64_t>(count) > end_ - at_) return nullptr;
    if (bufferAt_ > at_ || at_ + static_cast<std::int64_t>(count) >
                               bufferAt_ + static_cast<std::int64_t>(buffer_.size())) {
      const std::int64_t length = std::min<std::int64_t>(kBlock, end_ - at_);
      buffer_.resize(static_cast<std::size_t>(length));
      ReadAt(archive_, at_, buffer_.data(), buffer_.size());
      bufferAt_ = at_;
    }
    const unsigned char* data = buffer_.data() + (at_ - bufferAt_);
    at_ += static_cast<std::int64_t>(count);
    return data;
  }
  bool Skip(std::int64_t count) {
    if (count > end_ - at_) return false;
    at_ += count;
    return true;
  }

  static constexpr std::int64_t kBlock = 64 * 1024;

 private:
  TStream& archive_;
  std::int64_t at_;
  std::int64_t end_;
  std::vector<unsigned char> buffer_;
  std::int64_t bufferAt_ = 0;
};

struct Directory {
  std::uint64_t entries = 0;
  std::uint64_t size = 0;
  std::uint64_t offset = 0;
  // Where the directory must have ended: the end record or the zip64 end record.
  std::int64_t limit = 0;
};

// The end record is followed by its comment only: searched backwards, the first signature whose
// comment length reaches exactly to the end of the file is the record.
std::int64_t FindEndRecord(TStream& archive, std::int64_t size, unsigned char* record) {
  const std::int64_t tailSize = std::min(size, kEndSize + kMaxCommentSize);
  std::vector<unsigned char> tail(static_cast<std::size_t>(tailSize));
  ReadAt(archive, size - tailSize, tail.data(), tail.size());
  for (std::int64_t i = tailSize - kEndSize; i >= 0; --i) {
    const unsigned char* p = tail.data() + i;
    if (U32(p) == kEndSignature && i + kEndSize + U16(p + 20) == tailSize) {
      std::copy(p, p + kEndSize, record);
      return size - tailSize + i;
    }
  }
  Fail("its end record is missing");
}

Directory ReadZip64Directory(TStream& archive, std::int64_t end) {
  if (end < kZip64LocatorSize + kZip64EndSize) Fail("its zip64 end record is missing");
  const std::int64_t locatorAt = end - kZip64LocatorSize;
  unsigned char locator[kZip64LocatorSize];
  ReadAt(archive, locatorAt, locator, sizeof locator);
  if (U32(locator) != kZip64LocatorSignature) Fail("its zip64 end record is missing");
  if (U32(locator + 4) != 0 || U32(locator + 16) != 1) Fail("it spans several disks");
  const std::uint64_t recordAt = U64(locator + 8);
  if (recordAt > static_cast<std::uint64_t>(locatorAt - kZip64EndSize)) {
    Fail("its zip64 end record lies outside the file");
  }
  unsigned char record[kZip64EndSize];
  ReadAt(archive, static_cast<std::int64_t>(recordAt), record, sizeof record);
  if (U32(record) != kZip64EndSignature) Fail("its zip64 end record is missing");
  // The record's own size counts from after its size field; it must reach the locator.
  if (U64(record + 4) != static_cast<std::uint64_t>(locatorAt) - recordAt - 12) {
    Fail("its zip64 end record does not reach its locator");
  }
  if (U32(record + 16) != 0 || U32(record + 20) != 0 || U64(record + 24) != U64(record + 32)) {
    Fail("it spans several disks");
  }
  return {U64(record + 32), U64(record + 40), U64(record + 48),
          static_cast<std::int64_t>(recordAt)};
}

void CheckEntries(TStream& archive, const Directory& directory) {
  const std::int64_t start = static_cast<std::int64_t>(directory.offset);
  SequentialReader reader(archive, start, start + static_cast<std::int64_t>(directory.size));
  for (std::uint64_t i = 0; i < directory.entries; ++i) {
    const unsigned char* header = reader.Take(kCentralHeaderSize);
    if (header == nullptr || U32(header) != kCentralSignature) {
      Fail("its central directory holds fewer entries than it counts");
    }
    const std::uint32_t compressed = U32(header + 20);
    const std::uint32_t local = U32(header + 42);
    // 0xFFFFFFFF defers to the zip64 extra field; the bound is then left to the reader of the jar.
    if (local != 0xFFFFFFFF && compressed != 0xFFFFFFFF &&
        std::uint64_t{local} + kLocalHeaderSize + compressed > directory.offset) {
      Fail("an entry lies outside the file");
    }
    if (i == 0 && local != 0xFFFFFFFF) {
      unsigned char signature[4];
      ReadAt(archive, local, signature, sizeof signature);
      if (U32(signature) != kLocalSignature) Fail("its first entry is missing");
    }
    const std::int64_t variable =
        std::int64_t{U16(header + 28)} + U16(header + 30) + U16(header + 32);
    if (!reader.Skip(variable)) Fail("its central directory is cut short");
  }
  if (reader.Position() != start + static_cast<std::int64_t>(directory.size)) {
    Fail("its central directory holds more than it counts");
  }
}

}  // namespace

void CheckWholeZipArchive(TStream& archive) {
  const std::int64_t size = archive.Size();
  if (size < kEndSize) Fail("it is too short");
  unsigned char record[kEndSize];
  const std::int64_t end = FindEndRecord(archive, size, record);
  if (U16(record + 4) != 0 || U16(record + 6) != 0 || U16(record + 8) != U16(record + 10)) {
    Fail("it spans several disks");
  }
  Directory directory{U16(record + 10), U32(record + 12), U32(record + 16), end};
  if (directory.entries == 0xFFFF || directory.size == 0xFFFFFFFF ||
      directory.offset == 0xFFFFFFFF) {
    directory = ReadZip64Directory(archive, end);
  }
  if (directory.entries == 0) Fail("it holds no entries");
  const auto limit = static_cast<std::uint64_t>(directory.limit);
  if (directory.offset > limit || directory.size > limit - directory.offset) {
    Fail("its central directory lies outside the file");
  }
  // Every entry takes at least a fixed header: a count beyond that cannot be true.
  if (directory.entries > directory.size / kCentralHeaderSize) {
    Fail("its central directory holds fewer entries than it counts");
  }
  CheckEntries(archive, directory);
}

}  // namespace orvex
