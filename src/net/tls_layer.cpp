#include "net/tls_layer.h"

#include <algorithm>
#include <cstring>

#include "net/exceptions.h"
#include "net/io_handler.h"
#include "net/socket_handle.h"

namespace orvex {

namespace {

std::string HandshakeFailed(const std::string& host, const std::string& detail) {
  return "TLS handshake with " + host + " failed: " + detail;
}

std::string HandshakeTimedOut(const std::string& host) {
  return "TLS handshake with " + host + " timed out";
}

std::string RecordFailed(const std::string& host, const std::string& detail) {
  return "TLS record from " + host + " is not valid: " + detail;
}

void SendAll(TNetSocketHandle& socket, std::span<const std::uint8_t> bytes) {
  std::size_t offset = 0;
  while (offset < bytes.size()) {
    int n = socket.Send(bytes, static_cast<int>(offset));
    if (n <= 0) throw ENetConnClosedGracefully(kTextConnClosedGracefully);
    offset += static_cast<std::size_t>(n);
  }
}

}  // namespace

TNetTlsLayer::TNetTlsLayer(const std::string& host, const TNetTrustAnchors& anchors) : host_(host) {
  std::string error;
  session_ = platform::CreateTlsClient(host, anchors, error);
  if (!session_) throw ENetTlsError("TLS session cannot be set up: " + error);
  cipher_.resize(kCipherCapacity);
}

TNetTlsLayer::~TNetTlsLayer() {
  platform::DestroyTlsSession(session_);
}

std::span<std::uint8_t> TNetTlsLayer::Pending() {
  return std::span<std::uint8_t>(cipher_).subspan(begin_, end_ - begin_);
}

void TNetTlsLayer::Take(std::size_t count) {
  begin_ += std::min(count, end_ - begin_);
  if (begin_ == end_) begin_ = end_ = 0;
}

void TNetTlsLayer::Fail(const platform::TlsResult& result, bool handshake) const {
  using platform::TlsStatus;
  const char* reason = nullptr;
  switch (result.status) {
    case TlsStatus::kUntrustedIssuer:
      reason = kTextUntrustedIssuer;
      break;
    case TlsStatus::kNameMismatch:
      reason = kTextNameMismatch;
      break;
    case TlsStatus::kExpired:
      reason = kTextCertificateExpired;
      break;
    case TlsStatus::kBadCertificate:
      reason = kTextBadCertificate;
      break;
    case TlsStatus::kClosed:
      throw ENetTlsError(HandshakeFailed(host_, kTextTlsPeerClosed));
    default:
      throw ENetTlsError(handshake ? HandshakeFailed(host_, result.error)
                                   : RecordFailed(host_, result.error));
  }
  std::string text = "Certificate of " + host_ + " refused: " + reason;
  if (!result.error.empty()) text += " (" + result.error + ")";
  throw ENetCertificateError(text);
}

void TNetTlsLayer::Handshake(TNetSocketHandle& socket, int waitMs, int totalMs) {
  const std::uint32_t start = Ticks();
  std::vector<std::uint8_t> toSend;
  for (;;) {
    std::size_t consumed = 0;
    toSend.clear();
    platform::TlsResult result = platform::TlsHandshake(session_, Pending(), consumed, toSend);
    Take(consumed);
    if (result.status != platform::TlsStatus::kOk &&
        result.status != platform::TlsStatus::kWantInput) {
      Fail(result, true);
    }
    if (!toSend.empty()) SendAll(socket, toSend);
    if (result.status == platform::TlsStatus::kOk) return;

    int wait = waitMs;
    if (totalMs > 0) {
      std::uint32_t elapsed = TickDiff(start, Ticks());
      if (elapsed >= static_cast<std::uint32_t>(totalMs)) {
        throw ENetTlsError(HandshakeTimedOut(host_));
      }
      int left = totalMs - static_cast<int>(elapsed);
      wait = wait < 0 ? left : std::min(wait, left);
    }
    if (!socket.Readable(wait)) {
      if (totalMs > 0 && TickDiff(start, Ticks()) >= static_cast<std::uint32_t>(totalMs)) {
        throw ENetTlsError(HandshakeTimedOut(host_));
      }
      throw ENetReadTimeout(kTextReadTimeout);
    }
    if (Receive(socket) == 0) {
      throw ENetTlsError(HandshakeFailed(host_, kTextTlsPeerClosed));
    }
  }
}

int TNetTlsLayer::Decrypt(std::span<std::uint8_t> plaintext) {
  std::size_t consumed = 0;
  std::size_t produced = 0;
  platform::TlsResult result =
      platform::TlsDecrypt(session_, Pending(), consumed, plaintext, produced);
  Take(consumed);
  switch (result.status) {
    case platform::TlsStatus::kOk:
      return static_cast<int>(produced);
    case platform::TlsStatus::kWantInput:
      return 0;
    case platform::TlsStatus::kClosed:
      return -1;
    default:
      Fail(result, false);
  }
}

int TNetTlsLayer::Receive(TNetSocketHandle& socket) {
  // Keep room for a whole record behind what waits: move the waiting bytes (less than one
  // record, as the session takes every whole one) to the front when the room runs short.
  if (cipher_.size() - end_ < static_cast<std::size_t>(kMaxRecord) && begin_ > 0) {
    std::memmove(cipher_.data(), cipher_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == cipher_.size()) {
    // A record longer than TLS allows was announced.
    throw ENetTlsError(RecordFailed(host_, kTextTlsRecordTooLong));
  }
  int n = socket.Receive(std::span<std::uint8_t>(cipher_).subspan(end_));
  if (n > 0) end_ += static_cast<std::size_t>(n);
  return n;
}

void TNetTlsLayer::CheckCleanClose() const {
  if (end_ > begin_) throw ENetTlsError(RecordFailed(host_, kTextTlsRecordCut));
}

std::vector<std::uint8_t> TNetTlsLayer::Encrypt(std::span<const std::uint8_t> plaintext) {
  std::vector<std::uint8_t> records;
  platform::TlsResult result = platform::TlsEncrypt(session_, plaintext, records);
  if (result.status != platform::TlsStatus::kOk) Fail(result, false);
  return records;
}

}  // namespace orvex
