#include "updater/digest_stream.h"

#include "platform/crypto.h"
#include "core/exception.h"
#include "updater/manifest.h"

namespace orvex {

TSha256::TSha256() : context_(platform::BeginSha256()) {
  if (!context_) throw Exception("SHA-256 is not available");
}

TSha256::~TSha256() {
  platform::FreeSha256(context_);
}

void TSha256::Update(const void* data, std::size_t count) {
  if (!platform::UpdateSha256(context_, data, count)) throw Exception("SHA-256 failed");
}

std::array<std::uint8_t, 32> TSha256::Finish() {
  static_assert(platform::kSha256Size == 32);
  std::array<std::uint8_t, 32> digest{};
  const bool done = platform::FinishSha256(context_, digest.data());
  Restart();
  if (!done) throw Exception("SHA-256 failed");
  return digest;
}

std::string TSha256::FinishHex() {
  const auto digest = Finish();
  return HexText(digest.data(), digest.size());
}

void TSha256::Restart() {
  platform::FreeSha256(context_);
  context_ = platform::BeginSha256();
  if (!context_) throw Exception("SHA-256 is not available");
}

std::string Sha256Hex(const void* data, std::size_t count) {
  TSha256 hash;
  hash.Update(data, count);
  return hash.FinishHex();
}

void TDigestStream::SetSize(std::int64_t size) {
  target_.SetSize(size);
  if (size < hashed_) {
    if (size == 0) {
      hash_.Restart();
      hashed_ = 0;
      broken_ = false;
    } else {
      broken_ = true;
    }
  }
}

std::size_t TDigestStream::Write(const void* data, std::size_t count) {
  const bool inOrder = target_.Position() == hashed_;
  const std::size_t written = target_.Write(data, count);
  if (!inOrder) {
    broken_ = true;
  } else if (!broken_) {
    hash_.Update(data, written);
    hashed_ += static_cast<std::int64_t>(written);
  }
  return written;
}

void TDigestStream::Check(std::int64_t size, const std::string& sha256) {
  if (broken_ || target_.Size() != hashed_) {
    throw Exception("Digest of the download is unknown: its bytes did not arrive in order");
  }
  if (size >= 0 && hashed_ != size) {
    throw Exception("Size mismatch: the manifest names " + std::to_string(size) +
                    " bytes, the download has " + std::to_string(hashed_));
  }
  if (!sha256.empty()) {
    const std::string received = hash_.FinishHex();
    if (received != sha256) {
      throw Exception("Digest mismatch: the manifest names SHA-256 " + sha256 +
                      ", the download has " + received);
    }
  }
}

}  // namespace orvex
