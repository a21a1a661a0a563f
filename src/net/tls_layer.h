#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/tls.h"

namespace orvex {

class TNetSocketHandle;

// DER certificates trusted for TLS connections; empty means the system's trust store.
using TNetTrustAnchors = std::vector<std::vector<std::uint8_t>>;

// TLS over one connected socket: the handshake, then records both ways. The platform's session
// works on memory; this layer moves the ciphertext between it and the socket and raises
// ENetTlsError / ENetCertificateError on failure.
class TNetTlsLayer {
 public:
  // Received ciphertext waiting for a whole record is held here: twice the largest record,
  // plus room for one receive.
  static constexpr int kMaxRecord = 16384 + 2048;
  static constexpr int kCipherCapacity = 2 * kMaxRecord + 32768;

  TNetTlsLayer(const std::string& host, const TNetTrustAnchors& anchors);
  ~TNetTlsLayer();
  TNetTlsLayer(const TNetTlsLayer&) = delete;
  TNetTlsLayer& operator=(const TNetTlsLayer&) = delete;

  // Runs the handshake on `socket`: each wait for the peer at most waitMs (-2: no limit), the
  // whole handshake at most totalMs (<= 0: no limit of its own).
  void Handshake(TNetSocketHandle& socket, int waitMs, int totalMs);
  // Decrypts what was received into `plaintext`: the count written (> 0), 0 when more bytes
  // from the peer are needed, -1 when the peer ended the session.
  int Decrypt(std::span<std::uint8_t> plaintext);
  // One receive of ciphertext from the socket: the count, 0 when the peer closed.
  int Receive(TNetSocketHandle& socket);
  // Raises when the peer closed TCP with part of a record still unread: a cut, not an end.
  void CheckCleanClose() const;
  // The records that carry `plaintext`.
  std::vector<std::uint8_t> Encrypt(std::span<const std::uint8_t> plaintext);

 private:
  std::span<std::uint8_t> Pending();
  void Take(std::size_t count);
  [[noreturn]] void Fail(const platform::TlsResult& result, bool handshake) const;

  std::string host_;
  platform::TlsSession* session_ = nullptr;
  std::vector<std::uint8_t> cipher_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace orvex
