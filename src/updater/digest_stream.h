#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "stream/filter_stream.h"

namespace orvex::platform {
struct Sha256Context;
}

namespace orvex {

// SHA-256 from the platform. A failure of the platform raises Exception.
class TSha256 {
 public:
  TSha256();
  ~TSha256();
  TSha256(const TSha256&) = delete;
  TSha256& operator=(const TSha256&) = delete;

  void Update(const void* data, std::size_t count);
  // The digest of everything fed since the start; the object starts over afterwards.
  std::array<std::uint8_t, 32> Finish();
  // The same as lowercase hexadecimal.
  std::string FinishHex();
  void Restart();

 private:
  platform::Sha256Context* context_ = nullptr;
};

// The lowercase hexadecimal SHA-256 of bytes held in memory.
std::string Sha256Hex(const void* data, std::size_t count);

// Forwards everything to another stream and computes the SHA-256 of the bytes written, as they
// pass, so a large download is never read a second time. The bytes must arrive in order from the
// start; a stream cut back to its start (a redirect starts the body over) starts the digest over.
// Any other jump leaves the digest unknown and the check below fails.
class TDigestStream : public TFilterStream {
 public:
  explicit TDigestStream(TStream& target) : TFilterStream(target) {}

  void SetSize(std::int64_t size) override;
  std::size_t Write(const void* data, std::size_t count) override;

  // The bytes the digest covers.
  std::int64_t Received() const { return hashed_; }

  // Once, after the transfer. Raises Exception unless what was written has `size` bytes (when size
  // is not -1) and the digest `sha256` (lowercase hexadecimal, when not empty): "Size mismatch:
  // ..." or "Digest mismatch: ...".
  void Check(std::int64_t size, const std::string& sha256);

 private:
  TSha256 hash_;
  std::int64_t hashed_ = 0;
  bool broken_ = false;  // bytes were written out of order: the digest means nothing
};

}  // namespace orvex
